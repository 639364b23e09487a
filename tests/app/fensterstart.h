// The main window started on the virtual card in a fresh program directory,
// shared by the tests of the window and its pages.
#pragma once

#include "configpage.h"
#include "mainwindow.h"
#include "pause.h"
#include "portio.h"
#include "virtualcard.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace fixture {

// Under qemu (the arm64 run of scripts/debian13.sh sets KVX_UNTER_QEMU) the
// program as a process of its own takes many times as long to start.
inline bool unterQemu()
{
    return qEnvironmentVariableIsSet("KVX_UNTER_QEMU");
}

// How long a test waits for the program as a process: what it waits for
// comes long before on a PC; a failure costs that time.
inline const int Prozesszeit = unterQemu() ? 240000 : 60000;

inline QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void schreiben(const QString& pfad, const QByteArray& inhalt)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(inhalt);
}

#ifdef KVX_PROGRAMM_DATEI
// The program copied into ordner as "kvxtest", so that it finds its settings
// and its data set there and nowhere else; returns what to start: the copy,
// or in a cross build a script beside it that runs the copy through the
// emulator (the build's own program would find those of the build folder).
inline QString programmKopieren(const QString& ordner)
{
    const QString kopie = QDir(ordner).filePath(QStringLiteral("kvxtest"));
    if (!QFile::copy(QStringLiteral(KVX_PROGRAMM_DATEI), kopie))
        return {};
    const QByteArray emulator = KVX_EMULATOR;
    if (emulator.isEmpty())
        return kopie;
    const QString skript = QDir(ordner).filePath(QStringLiteral("kvxtest-emuliert"));
    QFile f(skript);
    if (!f.open(QIODevice::WriteOnly)
        || f.write("#!/bin/sh\nexec " + emulator + " '" + QFile::encodeName(kopie) + "' \"$@\"\n") < 0)
        return {};
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return skript;
}
#endif

// One program start in a fresh program directory.
struct Start {
    // virtuell: as with --virtuell, on the program's own virtual layout with its window.
    explicit Start(const QByteArray& ini = {}, bool mitKarte = true, const VirtualLayout& anlage = {},
                   bool virtuell = false)
        : karte(anlage)
    {
        if (!ini.isNull())
            schreiben(iniPfad(), ini);
        // The sample data set lies next to the program, as the build puts it.
        const QDir daten(QStringLiteral(KVX_DATEN_DIR));
        for (const QString& name : daten.entryList({QStringLiteral("QJ.*")}, QDir::Files))
            QFile::copy(daten.filePath(name), dir.filePath(name));
        MainOptions o;
        o.programmPfad = dir.path();
        if (virtuell)
            o.virtuell = true;
        else if (mitKarte)
            o.backend = &karte;
        else
            o.backend = &ohneZugriff;
        o.meldung = [this](const QString& text) {
            meldungen << text;
            if (beiMeldung)
                beiMeldung();
        };
        o.frage = [this](const QString& text) {
            fragen << text;
            return antwort;
        };
        fenster = std::make_unique<TfMain>(std::move(o));
    }

    QString iniPfad() const { return dir.filePath(QStringLiteral("KVXTEST.INI")); }
    QByteArray ini() const { return lesen(iniPfad()); }
    ConfigPage* cfg() const { return fenster->pConfig; }

    QTemporaryDir dir;
    VirtualCard karte;
    NoPortAccess ohneZugriff;
    QStringList meldungen;
    std::function<void()> beiMeldung;
    QStringList fragen;      // the questions asked, answered with antwort
    bool antwort = false;
    std::unique_ptr<TfMain> fenster;
};

// Most tests check order and outcome only: their pauses just handle the
// pending events. Tests that look at what shows during a pause take the real one.
inline void schnellePause(int)
{
    QCoreApplication::processEvents();
}

struct EchtePause {
    EchtePause() : vorher(setPauseFunktion(nullptr)) {}
    ~EchtePause() { setPauseFunktion(vorher); }
    PauseFunktion vorher;
};

}  // namespace fixture

using fixture::Start;
