#include "privileges.h"

#include <sys/capability.h>
#include <sys/prctl.h>

#include <cerrno>
#include <cstring>

QString alleRechteAbgeben()
{
    // The bounding set can only shrink while CAP_SETPCAP is held: drop it first.
    for (cap_value_t c = 0; c <= CAP_LAST_CAP; ++c)
        cap_drop_bound(c);
    cap_reset_ambient();
    cap_t keine = cap_init();
    const int rc = keine ? cap_set_proc(keine) : -1;
    const int fehler = errno;
    if (keine)
        cap_free(keine);
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    if (rc != 0)
        return QStringLiteral("Die Rechte des Programms konnten nicht abgegeben werden: %1")
            .arg(QString::fromLocal8Bit(std::strerror(fehler)));
    return {};
}
