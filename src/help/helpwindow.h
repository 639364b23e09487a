// TfHelp: the help window. Shows the help file "ReadMe.rtf" read-only beside
// the main window; every "Hilfe" reloads the file.
#pragma once

#include <QString>
#include <QTextEdit>
#include <QWidget>

class TfHelp : public QWidget {
    Q_OBJECT

public:
    explicit TfHelp(QWidget* parent = nullptr);

    // Loads fileName into rEdit, as rich text when it is RTF, else as plain
    // text. On failure returns false, sets *errorMessage (when given) to
    // "Datei <full name> kann nicht geöffnet werden. <reason>" and keeps the
    // text shown before.
    bool loadFile(const QString& fileName, QString* errorMessage);

    // "ReadMe.rtf" in the current working directory (not the program's
    // directory), as an absolute path. When only a spelling in other case
    // exists there (readme.rtf), that one is taken; when none does, the one
    // in the installed data folder (Dateiorte).
    static QString helpFileName();

    // Files larger than this are refused, so that a wrong name (a device, a
    // disk image, a log) cannot stall the program. A real help text has some
    // ten kilobytes.
    static constexpr qint64 kMaxFileSize = 2 * 1024 * 1024;

    // The read-only rich-text view filling the window. It wraps lines at
    // word boundaries only: breaking "anywhere" as well lays out a paragraph
    // that is one long word in time growing with the square of its length.
    QTextEdit* rEdit = nullptr;
};
