// Dateiorte: where the program keeps and finds its files. Nothing else
// decides it.
//
// A program directory of its own (the build directory, a folder the user
// unpacked the program into) holds the settings file KVXTEST.INI and the
// default data set QJ.*, and the file dialogs open there. It counts as the
// program's own when it belongs to the user who runs the program, lies
// outside /usr, and the program may create files in it or may at least write
// a KVXTEST.INI that lies there (a folder the user made read-only). A folder
// that does not exist counts as the program's own, too: its files are not
// found there, as ever, and nothing is written into the user's folders
// instead.
//
// Otherwise the program is installed: below /usr (a package's /usr/bin,
// /usr/local/bin), or in a folder that belongs to somebody else, whoever
// runs it. Root may write to /usr/bin, and still gets its own settings in
// its home folder like anyone: an installed program never writes beside
// itself.
//  - settings: KVXTEST.INI in the user's configuration folder
//    (~/.config/kvxtest/), created when missing;
//  - default set: each file QJ.<ext> from the user's data folder
//    (~/.local/share/kvxtest/) when it lies there, else from the program
//    directory when it lies there (a copied program folder that is not
//    writable), else from the installed data folder (<prefix>/share/kvxtest/,
//    found from the program directory);
//  - file dialogs: the user's data folder, created when missing.
//
// The help text ReadMe.rtf is read from the working directory in either case
// (any spelling of the name), and from the installed data folder when the
// working directory has none.
#pragma once

#include <QString>
#include <QStringList>

class Dateiorte
{
public:
    // The user's own folders; an empty one is asked of QStandardPaths
    // (XDG_CONFIG_HOME, XDG_DATA_HOME, HOME). Each gets a folder "kvxtest".
    struct Benutzer
    {
        QString konfiguration;
        QString daten;
    };

    explicit Dateiorte(const QString& programmPfad, const Benutzer& benutzer = {});

    // Folders, each with a trailing '/'.
    QString programmOrdner() const { return programm_; }
    QString installierteDaten() const { return installiert_; }
    QString konfigurationsOrdner() const { return konfiguration_; }
    QString benutzerDaten() const { return daten_; }

    // True when the program directory is not the program's own (see above).
    bool installiertesProgramm() const { return !eigenerOrdner_; }

    // The settings file. For an installed program its folder is created here
    // when missing, so that the first write finds it.
    QString iniDatei() const;

    // The folder from which the default file "QJ" + endung (".DMA", ".DST")
    // is read: the first of standardSuche that holds it, else the last.
    QString standardOrdner(const QString& endung) const;
    // The folders the default files are looked for in, in that order.
    QStringList standardSuche() const;

    // Where the file dialogs open. For an installed program the user's data
    // folder, created here when missing.
    QString dialogOrdner() const;

    // The help text "ReadMe.rtf" as an absolute path. When it lies nowhere,
    // the name in the working directory, for the message that names it.
    QString hilfeDatei() const;

    // Is a program in ordner installed by where it lies and whom it belongs
    // to, whatever its mode (see above)?
    static bool installierterOrt(const QString& ordner);

    // May this process create files in ordner? Asked with the effective
    // rights, so that a process without the right to override permissions
    // (root after giving up its capabilities) is judged by the mode bits.
    static bool beschreibbar(const QString& pfad);

private:
    QString programm_;
    QString installiert_;
    QString konfiguration_;
    QString daten_;
    bool eigenerOrdner_ = true;
};
