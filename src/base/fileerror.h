// German texts for failed file operations, for the message boxes.
#pragma once

#include <QString>

class QFileDevice;

// Why fileName cannot be opened for reading, asked of the file system
// beforehand: a short German reason ending with a full stop (e.g. "Die Datei
// wurde nicht gefunden."), empty when nothing speaks against it.
QString readFailureReason(const QString& fileName);

// "Datei <fileName> kann nicht geöffnet werden. <reason>"
QString openErrorText(const QString& fileName, const QString& reason);

// "Datei "<fileName>" kann nicht erstellt werden. <reason>": a file that
// could not be written (the old one stays).
QString createErrorText(const QString& fileName, const QString& reason);

// Why writing fileName through datei failed: a short German reason ending
// with a full stop (a folder in its place, a missing folder, no access, a
// full disk).
QString writeFailureReason(const QString& fileName, const QFileDevice& datei);
