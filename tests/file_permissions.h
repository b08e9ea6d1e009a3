#pragma once

// Tests of "cannot be read" and "cannot be written" need file permissions to hold, and root
// passes them by. A test process running as root gives up that power here, so the same tests
// run, and mean the same, for every user, CI included.

#ifdef __linux__
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <initializer_list>

namespace orvane::test {

// Drops the capabilities that let root read, write and search past permission bits.
inline void obeyFilePermissions() {
#ifdef __linux__
    if (geteuid() != 0)
        return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        data[cap / 32].effective &= ~(1u << (cap % 32));
        data[cap / 32].permitted &= ~(1u << (cap % 32));
    }
    syscall(SYS_capset, &header, data);
#endif
}

} // namespace orvane::test
