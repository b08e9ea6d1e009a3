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
    std::size_t maxDepth = 512;              // deeper groups are skipped whole
    std::size_t maxPictureBytes = 32u << 20; // encoded data of one picture
    long long maxPicturePixels = 40'000'000; // decoded size of one picture
    std::size_t maxTableColumns = 64;
};

struct ReadResult {
    bool ok = true;
    QString error; // set when !ok
    // The file ended before its last group closed: cut off, or its binary data cut short. What
    // could be read was read all the same.
    bool damaged = false;
};

// Told, now and then, how many bytes of the input lie behind the reader for good: a caller that
// maps a large file can give those pages back.
using Progress = std::function<void(std::size_t consumed)>;

// True when the bytes begin as every RTF file must, with "{\rtf".
bool looksLikeRtf(std::string_view bytes);

ReadResult read(std::string_view bytes, Sink& sink, const Limits& limits = {},
                const Progress& progress = {});

} // namespace orvane::rtf
