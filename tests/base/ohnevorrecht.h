// Tests run as root, who passes every permission check. While an OhneVorrecht
// lives, the calling thread gives up the right to override file permissions,
// so that a folder made read-only is read-only for it as for any user. Where
// that cannot be done (not Linux), the mode bits count for a non-root user
// anyway.
#pragma once

#ifdef __linux__
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

class OhneVorrecht
{
public:
    OhneVorrecht()
    {
#ifdef __linux__
        ok_ = syscall(SYS_capget, &kopf_, vorher_) == 0;
        __user_cap_data_struct weniger[2] = {vorher_[0], vorher_[1]};
        weniger[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ok_ = ok_ && syscall(SYS_capset, &kopf_, weniger) == 0;
#endif
    }
    ~OhneVorrecht()
    {
#ifdef __linux__
        if (ok_)
            syscall(SYS_capset, &kopf_, vorher_);
#endif
    }
    OhneVorrecht(const OhneVorrecht&) = delete;
    OhneVorrecht& operator=(const OhneVorrecht&) = delete;

private:
#ifdef __linux__
    __user_cap_header_struct kopf_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct vorher_[2]{};
    bool ok_ = false;
#endif
};
