// The configuration without widgets: the ten card counts, the four
// remote-control numbers as entered and the hint switch; how they are read
// from and written to the settings file, and what they mean for the card.
// The configuration page shows these values; the main window moves them
// between page, card and file.
#pragma once

#include "configuration.h"
#include "profile.h"

#include <QStringList>

#include <array>

class TkvxHard;

struct Einstellungen {
    std::array<int, config::KartenAnzahl> karten{};   // card counts, in range
    std::array<int, 4> taster{};                      // Oben, Unten, Rechts, Links as entered
    bool hints = true;
    QString web;                                      // the web page's address; empty: off
    QString port = QString::fromLatin1(config::PortIsa);   // the card's lines as written, ISA or GPIO

    // The settings of the file, or the defaults where a key is missing or
    // not a whole number; card counts are brought into their range. For each
    // card count given but not taken as it stands, warnungen gets a German
    // line naming the key, the value and what counts instead ("[Karten]
    // Block=999: erlaubt sind 1 bis 50; es gilt 50."). The file stays as it is.
    static Einstellungen lesen(const ProfileFile& ini, QStringList* warnungen = nullptr);

    // Elements of a kind: card count times the kind's factor.
    int elemente(config::Karte karte) const;

    // Hands the element count of one kind to the card (the LED counts live
    // in the page's number fields only) and the input byte count of all.
    void anwenden(config::Karte karte, TkvxHard& kvx) const;

    // The remote-control numbers as positions in the push-button image.
    std::array<int, 4> tasterPositionen() const;

    // Every key, in the order of the page: one replacement of the file.
    QList<ProfileFile::Entry> eintraege() const;
};
