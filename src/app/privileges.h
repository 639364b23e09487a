// Giving up privileges once the ports are open.
#pragma once

#include <QString>

// Drops every capability of the process (effective, permitted, inheritable,
// ambient and, where allowed, the bounding set) and forbids gaining new ones.
// The port permission already granted stays. Returns an empty string on
// success, else the German reason.
QString alleRechteAbgeben();
