#pragma once

// Reads RTF bytes in one streaming pass and hands the content to a Sink. Groups are kept on an
// explicit stack, so neither deep nesting nor malformed input can exhaust the call stack;
// whatever can be read is read.

#include "rtf/sink.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <string_view>

namespace orvane::rtf {

struct Limits {
    std::size_t maxDepth = 512;              // deeper groups are skipped whole, and said to be
    std::size_t maxPictureBytes = 32u << 20; // encoded data of one picture
    long long maxPicturePixels = 40'000'000; // decoded size of one picture
    std::size_t maxTableColumns = 64;
    // Paragraphs and table rows a built document takes: a document of more is cut there, and
    // said to be. The text, written as it is read, needs no such limit.
    std::size_t maxBlocks = 50'000;
};

struct ReadResult {
    bool ok = true;
    QString error; // set when !ok
    // The file ended before its last group closed: cut off, or its binary data cut short. What
    // could be read was read all the same.
    bool damaged = false;
    // Groups nested deeper than the limit were skipped, with their text.
    bool skippedDeep = false;
    // The built document was cut at its limit of paragraphs and rows.
    bool blocksCut = false;
    // What a limit left out, in words for a warning; empty when nothing was.
    QString leftOut(const Limits& limits) const;
};

// Told, now and then, how many bytes of the input lie behind the reader for good: a caller that
// maps a large file can give those pages back.
using Progress = std::function<void(std::size_t consumed)>;

// True when the bytes begin as every RTF file must, with "{\rtf".
bool looksLikeRtf(std::string_view bytes);

ReadResult read(std::string_view bytes, Sink& sink, const Limits& limits = {},
                const Progress& progress = {});

} // namespace orvane::rtf
