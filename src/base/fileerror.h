// German texts for failed file operations, for the message boxes.
#pragma once

#include <QString>

// Why fileName cannot be opened for reading, asked of the file system
// beforehand: a short German reason ending with a full stop (e.g. "Die Datei
// wurde nicht gefunden."), empty when nothing speaks against it.
QString readFailureReason(const QString& fileName);

// "Datei <fileName> kann nicht geöffnet werden. <reason>"
QString openErrorText(const QString& fileName, const QString& reason);
