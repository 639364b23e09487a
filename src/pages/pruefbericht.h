// The test report of the automatic walks: which elements a walk showed
// (tested) and which the user marked as faulty, for the whole session.
// Plain data with its text; the window "Prüfbericht" shows and saves it.
//
// The file, TAB-separated like the layout log, lines ending in LF:
//
//     Prüfbericht KVX-Test
//     Datum<TAB>17.05.2025 14:03:07
//     Version<TAB>1.1.0.12
//     Karten<TAB>Block<TAB>12            one line per card kind
//
//     LED<TAB>1037-1039<TAB>geprüft      the tested elements, ranges merged
//     LED<TAB>1037<TAB>fehlerhaft<TAB>17.05.2025 13:58:41
//     Weiche<TAB>5<TAB>abzweigend fehlerhaft<TAB>17.05.2025 14:01:12
//
// per element kind (LED, Weiche, Signal, Block) the tested ranges, then the
// faulty elements by number with the time they were marked; a kind no walk
// touched is left out. LEDs carry the number the LED page shows (1037: LED 37
// of chain 2).
//
// The wiring check's findings follow under the kind "Verdrahtung": what it
// checked, then one line per finding, the fault as --fehler writes it first,
// then the likely cause; a hint (no finding) carries "hinweis" there:
//
//     Verdrahtung<TAB>Ruhe<TAB>geprüft
//     Verdrahtung<TAB>tausch:block:5:6<TAB>Block 5 und 6 vertauscht: ...<TAB>17.05.2025 14:05:10
#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class Pruefbericht {
public:
    enum class Art { Led, Weiche, Signal, Block };
    static constexpr int ArtAnzahl = 4;
    // How a turnout failed: in the position it showed when it was marked.
    enum Lage { Ohne = 0, Gerade = 1, Abzweigend = 2 };

    struct Fehler {
        Art art;
        int nummer;
        int lage;          // Lage; Ohne for every kind but turnouts
        QDateTime zeit;    // when it was marked
    };

    // One finding of the wiring check.
    struct Verdrahtung {
        QString pruefung;  // the check that found it: "Ruhe", "Blöcke", ...
        QString fehler;    // "tausch:block:5:6"; Hinweis for a hint
        QString satz;      // the likely cause, German
        QDateTime zeit;
    };
    static inline const QString Hinweis = QStringLiteral("hinweis");

    // What the file's head says.
    struct Kopf {
        QDateTime datum;
        QString version;
        std::vector<std::pair<QString, int>> karten;   // settings key and card count
    };

    // A walk showed this element.
    void geprueft(Art art, int nummer);
    // F: marks the element in this position as faulty (and tested); a second
    // time takes the mark back. True: it is marked now.
    bool umschalten(Art art, int nummer, int lage, const QDateTime& zeit);
    bool fehlerhaft(Art art, int nummer, int lage) const;

    // A wiring check ran to its end: its findings replace those of its last run.
    void verdrahtungSetzen(const QString& pruefung, std::vector<Verdrahtung> befunde);
    // The checks that ran, in the order they first ran, and their findings.
    const std::vector<QString>& verdrahtungGeprueft() const { return verdrahtungGeprueft_; }
    const std::vector<Verdrahtung>& verdrahtung() const { return verdrahtung_; }
    // Findings that are not hints, each fault once.
    int verdrahtungsBefunde() const;

    // The faulty elements in the order they were marked.
    const std::vector<Fehler>& fehler() const { return fehler_; }
    // The tested elements of a kind as ranges, ascending, neighbours merged.
    std::vector<std::pair<int, int>> bereiche(Art art) const;
    bool leer() const;
    // "Bericht leeren".
    void leeren();

    // The file's content.
    QByteArray text(const Kopf& kopf) const;

    // "LED", "Weiche", "Signal", "Block": the kind in the file.
    static QString artName(Art art);
    // "Leds", "Weichen", "Signale", "Fahren": the page it was tested on.
    static QString seitenName(Art art);
    // "fehlerhaft", "gerade fehlerhaft", "abzweigend fehlerhaft".
    static QString befund(int lage);
    // "1037-1039", or "1037" for a single element.
    static QString bereichText(std::pair<int, int> bereich);

    // Called after every change.
    std::function<void()> geaendert;

private:
    bool eintragen(Art art, int nummer);   // true: it was not tested yet
    void melden() const;

    std::array<std::map<int, int>, ArtAnzahl> geprueft_;   // range start -> range end
    std::vector<Fehler> fehler_;
    std::vector<QString> verdrahtungGeprueft_;
    std::vector<Verdrahtung> verdrahtung_;
};
