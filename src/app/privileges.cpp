#include "privileges.h"

#include <sys/capability.h>
#include <sys/prctl.h>

#include <cerrno>
#include <cstring>

QString alleRechteAbgeben()
{
    // Whether CAP_SYS_NICE is there to keep: read before anything is dropped.
    cap_flag_value_t nice = CAP_CLEAR;
    if (cap_t jetzt = cap_get_proc()) {
        cap_get_flag(jetzt, CAP_SYS_NICE, CAP_PERMITTED, &nice);
        cap_free(jetzt);
    }
    // The bounding set can only shrink while CAP_SETPCAP is held: drop it first.
    // Dropping it there takes nothing from the permitted set.
    for (cap_value_t c = 0; c <= CAP_LAST_CAP; ++c)
        cap_drop_bound(c);
    cap_reset_ambient();
    cap_t rest = cap_init();
    if (rest && nice == CAP_SET) {
        const cap_value_t behalten[] = {CAP_SYS_NICE};
        cap_set_flag(rest, CAP_PERMITTED, 1, behalten, CAP_SET);
        cap_set_flag(rest, CAP_EFFECTIVE, 1, behalten, CAP_SET);
    }
    const int rc = rest ? cap_set_proc(rest) : -1;
    const int fehler = errno;
    if (rest)
        cap_free(rest);
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    if (rc != 0)
        return QStringLiteral("Die Rechte des Programms konnten nicht abgegeben werden: %1")
            .arg(QString::fromLocal8Bit(std::strerror(fehler)));
    return {};
}
