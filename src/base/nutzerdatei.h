// A file the user names on the command line for the program to write (the
// wiring check's report): never written through a link, only where a regular
// file or nothing lies, and replaced whole through a temporary file in its
// folder and a rename. Linux only (lstat, O_NOFOLLOW).
#pragma once

#include <QByteArray>
#include <QString>

// Why pfad cannot take the file: a German sentence ending with a full stop
// that names what lies there (a folder, a symbolic link, a pipe, a device, a
// socket), a read-only file, a missing folder, or a folder that takes no new
// file (tried with a scratch file). Empty when the file can be written. Asked
// before the work whose result goes there.
QString nutzerdateiGrund(const QString& pfad);

// Writes inhalt to pfad after the same checks: a new file in the same folder,
// written whole and synced, renamed onto the name (whatever was put there
// meanwhile is replaced, never followed). It keeps the permissions of the
// file it replaces; a new one gets those the umask leaves of rw-rw-rw-.
// Empty when written, else the reason as above; the old file then stays.
QString nutzerdateiSchreiben(const QString& pfad, const QByteArray& inhalt);
