#include "pruefenlauf.h"

#include "anlagenbetrieb.h"
#include "dateiorte.h"
#include "echtzeit.h"
#include "einstellungen.h"
#include "fileerror.h"
#include "kvxhard.h"
#include "nutzerdatei.h"
#include "portio.h"
#include "pruefung.h"
#include "signalende.h"
#include "textdatei.h"
#include "verdrahtungsbericht.h"
#include "verdrahtungsfehler.h"
#include "virtualcard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMetaObject>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <thread>

namespace {

void ausgeben(std::FILE* f, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

int nichtGelaufen(const QString& warum)
{
    ausgeben(stderr, QStringLiteral("Die Verdrahtungsprüfung konnte nicht laufen: %1\n").arg(warum.trimmed()));
    return 2;
}

// "Kartenzahlen (KVXTEST.INI, [Karten]): Block=1, HilfsBlock=1, ..."
QString kartenzahlen(const QString& iniDatei, const Einstellungen& e)
{
    QStringList paare;
    for (int i = 0; i < config::KartenAnzahl; ++i)
        paare << QStringLiteral("%1=%2").arg(QString::fromLatin1(config::Karten[std::size_t(i)].key))
                     .arg(e.karten[std::size_t(i)]);
    return QStringLiteral("Kartenzahlen (%1, [%2]): %3\n")
        .arg(iniDatei, QString::fromLatin1(config::SectionKarten), paare.join(QStringLiteral(", ")));
}

// What a run without findings did not look at.
QString keinBefund(bool bloecke, bool bloeckeStumm)
{
    return QStringLiteral("Kein Befund. Nicht geprüft: %1Weichen, Signale und LEDs (sie melden nichts zurück: das "
                          "sehen nur die Augen), Melder und Taster einzeln (die geführte Prüfung „Eingaben prüfen“ "
                          "im Fenster).\n")
        .arg(!bloecke       ? QStringLiteral("die Blöcke einzeln (--bloecke), ")
             : bloeckeStumm ? QStringLiteral("die Blöcke einzeln (keiner meldete sich), ")
                            : QString());
}

}  // namespace

int pruefenLaufen(const PruefenAuftrag& auftrag, const QString& portHinweis)
{
    // Before anything gets power: the report must have a place.
    if (const QString grund = nutzerdateiGrund(auftrag.datei); !grund.isEmpty())
        return nichtGelaufen(createErrorText(auftrag.datei, grund));
    const QString iniDatei = Dateiorte(QCoreApplication::applicationDirPath()).iniDatei();
    ProfileFile ini(iniDatei);
    if (!ini.loadErrorMessage().isEmpty())
        return nichtGelaufen(ini.loadErrorMessage());
    QStringList warnungen;
    const Einstellungen einstellungen = Einstellungen::lesen(ini, &warnungen);
    for (const QString& w : warnungen)
        ausgeben(stderr, QStringLiteral("Warnung: %1, %2\n").arg(iniDatei, w));
    // Without a window nothing else shows which keys there are: a first
    // start writes the file as the window does.
    if (!QFileInfo::exists(iniDatei))
        ausgeben(stderr, ini.writeAll(einstellungen.eintraege())
                             ? QStringLiteral("Die Einstellungsdatei %1 ist neu angelegt, mit den Vorgaben.\n").arg(iniDatei)
                             : ini.writeErrorMessage() + u'\n');
    ausgeben(stderr, kartenzahlen(iniDatei, einstellungen));

    std::unique_ptr<VirtualCard> karte;
    PortBackend* vorher = nullptr;
    if (auftrag.virtuell) {
        karte = std::make_unique<VirtualCard>(anlageFuer(einstellungen.karten));
        const verdrahtung::Lesung fehler = verdrahtung::lesen(auftrag.fehlerListe.toStdString(), karte->layout());
        if (!fehler.meldung.empty())
            return nichtGelaufen(QStringLiteral("--fehler: %1").arg(QString::fromStdString(fehler.meldung)));
        karte->setFehler(fehler.fehler);
        vorher = setPortBackend(karte.get());
    }
    struct Zurueck {
        bool aktiv;
        PortBackend* vorher;
        ~Zurueck()
        {
            if (aktiv)
                setPortBackend(vorher);
        }
    } zurueck{auftrag.virtuell, vorher};

    auto kvx = std::make_unique<TkvxHard>();
    QString meldung;
    kvx->Meldung = [&meldung](const std::string& text) { meldung = QString::fromStdString(text); };
    for (int i = 0; i < config::KartenAnzahl; ++i)
        einstellungen.anwenden(config::Karte(i), *kvx);
    kvx->PortInit();
    if (kvx->Simulation)
        return nichtGelaufen(!portHinweis.isEmpty() ? portHinweis
                             : !meldung.isEmpty()   ? meldung
                                                    : QStringLiteral("Die Ports der Karte sind nicht erreichbar."));

    const pruefung::Zeiten zeiten;
    pruefung::Steuerung steuerung;
    ausgeben(stderr, QStringLiteral("Verdrahtungsprüfung%1: etwa %2 s ...\n")
                         .arg(auftrag.bloecke ? QStringLiteral(" mit Blöcken (Züge können fahren)") : QString())
                         .arg(pruefung::schritte(pruefung::umfangVon(*kvx), zeiten, auftrag.bloecke)
                                  * zeiten.periode.count() / 1000 + 1));

    // Ctrl+C or a kill stops the run; its outputs go off before it ends.
    SignalEnde signale;
    signale.beenden = [&steuerung](int) { steuerung.stop = true; };
    pruefung::Ergebnis ergebnis;
    std::thread lauf([&] {
        echtzeit::anfordern();   // the check pulses the supply line
        ergebnis = pruefung::pruefen(*kvx, steuerung, zeiten, auftrag.bloecke);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                                  Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    lauf.join();
    if (ergebnis.abgebrochen)
        return nichtGelaufen(QStringLiteral("abgebrochen, alle Ausgänge sind aus; kein Bericht geschrieben."));

    Pruefbericht bericht;
    const QDateTime jetzt = QDateTime::currentDateTime();
    pruefung::eintragen(bericht, ergebnis, auftrag.bloecke, jetzt);
    Pruefbericht::Kopf kopf;
    kopf.datum = jetzt;
    kopf.version = QStringLiteral(KVX_VERSION);
    for (int i = 0; i < config::KartenAnzahl; ++i)
        kopf.karten.emplace_back(QString::fromLatin1(config::Karten[std::size_t(i)].key),
                                 einstellungen.karten[std::size_t(i)]);
    // The findings go to standard output whatever happens to the file.
    for (const Pruefbericht::Verdrahtung& v : bericht.verdrahtung())
        ausgeben(stdout, QStringLiteral("%1\t%2\n").arg(v.fehler, v.satz));
    const QString grund = nutzerdateiSchreiben(auftrag.datei, bericht.text(kopf));
    const int befunde = bericht.verdrahtungsBefunde();
    ausgeben(stdout, befunde == 0      ? keinBefund(auftrag.bloecke, ergebnis.bloeckeStumm)
                     : grund.isEmpty() ? QStringLiteral("%1 Befund(e), Bericht: %2\n").arg(befunde).arg(auftrag.datei)
                                       : QStringLiteral("%1 Befund(e), kein Bericht\n").arg(befunde));
    if (!grund.isEmpty()) {
        ausgeben(stderr, QStringLiteral("Die Verdrahtungsprüfung lief, ihr Bericht ist nicht geschrieben: %1\n")
                             .arg(createErrorText(auftrag.datei, grund)));
        return 2;
    }
    if (bericht.verdrahtungsBefunde() > 0)
        return 1;
    // Not a pass: the block check saw nothing of the blocks.
    if (ergebnis.bloeckeStumm)
        return nichtGelaufen(QStringLiteral("Kein Block meldete sich belegt, die Blockprüfung sah nichts: ohne Last auf "
                                            "den Gleisen, oder es fehlt eine Blockkarte, oder die Blockkette oder die "
                                            "Eingangsleitung der Blockkarten ist nicht angeschlossen. Der Bericht ist "
                                            "geschrieben."));
    return 0;
}
