// German texts for failed file operations, for the message boxes.
#pragma once

#include <QString>

class QFileDevice;

// Short German reason, ending with a full stop, for the last error of file
// (e.g. "Die Datei wurde nicht gefunden."). For a failed open the file system
// is asked why: missing file or folder, a folder instead of a file, no access.
// Empty when the file reports no error.
QString fileErrorReason(const QFileDevice& file);

// Why fileName cannot be opened for reading, asked of the file system
// beforehand: empty when nothing speaks against it.
QString readFailureReason(const QString& fileName);

// "Datei <fileName> kann nicht geöffnet werden. <reason>"
QString openErrorText(const QString& fileName, const QString& reason);

// "Datei <fileName> kann nicht geöffnet werden. <reason>"; without a reason
// the text ends after "werden.".
QString openErrorMessage(const QString& fileName, const QFileDevice& failedFile);
