// A virtual card installed as the port backend, with a TkvxHard built on it
// and configured like the stored main window (24 blocks, 48 auxiliary blocks,
// 88 detectors, 88 turnouts, 32 signal coils, 64 chain-1 buttons, 96 input
// steps). The previous backend comes back when the rig goes.
#pragma once

#include "kvxhard.h"
#include "portio.h"
#include "virtualcard.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

struct CardRig {
    explicit CardRig(const VirtualLayout& layout = {}, bool init = true)
        : card(layout), previous(setPortBackend(&card))
    {
        kvx = std::make_unique<TkvxHard>();
        kvx->Meldung = [this](const std::string& text) { messages.push_back(text); };
        kvx->BlockAnzahl = 24;
        kvx->HBlockAnzahl = 48;
        kvx->MelderAnzahl = 88;
        kvx->WeichenAnzahl = 88;
        kvx->SignalAnzahl = 32;
        kvx->Taster1Anzahl = 64;
        kvx->Taster2Anzahl = 0;
        kvx->EinDatenBytes = 96;
        if (init) {
            kvx->PortInit();
            card.resetCounters();
        }
    }
    ~CardRig()
    {
        kvx.reset();
        setPortBackend(previous);
    }
    CardRig(const CardRig&) = delete;
    CardRig& operator=(const CardRig&) = delete;

    long accesses() const { return card.writes() + card.reads(); }

    VirtualCard card;
    PortBackend* previous;
    std::unique_ptr<TkvxHard> kvx;
    std::vector<std::string> messages;
};

inline VirtualCard::Coil turnoutCoil(int n, int lage)
{
    return {VirtualCard::Coil::Kind::Turnout, n, lage};
}

inline VirtualCard::Coil signalCoil(int n)
{
    return {VirtualCard::Coil::Kind::Signal, n, 0};
}

inline std::ostream& operator<<(std::ostream& os, const VirtualCard::Coil& c)
{
    if (c.kind == VirtualCard::Coil::Kind::Signal)
        return os << "signal coil " << c.number;
    return os << "turnout " << c.number << (c.lage == 1 ? " straight" : " diverging");
}
