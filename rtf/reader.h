#pragma once

// Reads RTF bytes in one streaming pass and hands the content to a Sink. Groups are kept on an
// explicit stack, so neither deep nesting nor malformed input can exhaust the call stack;
// whatever can be read is read.

#include "rtf/sink.h"

#include <QString>

#include <cstddef>
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
};

// True when the bytes begin as every RTF file must, with "{\rtf".
bool looksLikeRtf(std::string_view bytes);

ReadResult read(std::string_view bytes, Sink& sink, const Limits& limits = {});

} // namespace orvane::rtf
