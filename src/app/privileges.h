// Giving up privileges once the ports are open.
#pragma once

#include <QString>

// Drops every capability of the process (effective, permitted, inheritable,
// ambient and, where allowed, the bounding set) and forbids gaining new ones.
// The port permission already granted stays. One capability is kept when the
// process holds it: CAP_SYS_NICE, effective and permitted, for one purpose
// only: the threads that pulse the supply line ask for real-time scheduling
// with it (echtzeit.h). Returns an empty string on success, else the German
// reason.
QString alleRechteAbgeben();
