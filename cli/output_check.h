#pragma once

// A tool whose output could not be written has failed, whatever it computed: a full disk or a
// closed pipe must not end in exit status 0 with the text silently lost.

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvane::cli {

inline int checkedOutput(const char* program, int status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "%s: could not write the output: %s\n", program, std::strerror(errno));
        return 2;
    }
    return status;
}

} // namespace orvane::cli
