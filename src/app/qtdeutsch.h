// Qt's own dialogs (file dialogs, the overwrite question, the buttons of the
// message boxes) in German, like the rest of the program: Qt's translation
// as the system has it installed.
#pragma once

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// Loads the translation into uebersetzer, which must live as long as the
// application, and installs it. False when the system has none.
inline bool qtAufDeutsch(QTranslator& uebersetzer)
{
    return uebersetzer.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))
           && QCoreApplication::installTranslator(&uebersetzer);
}
