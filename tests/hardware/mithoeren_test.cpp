// The listening backend between the program and a real card (here a virtual
// card behind a backend that records every access): the real card gets every
// access unchanged, and the model beside it decodes what the real cards show
// and report.
#include "anlagenprotokoll.h"
#include "cardrig.h"
#include "mithoeren.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

struct Zugriff {
    char art;   // 'e' enable, 'r' read, 'w' write
    std::uint16_t port;
    std::uint8_t wert;
    friend bool operator==(const Zugriff&, const Zugriff&) = default;
};

// Passes everything on to the card behind it and records what went through.
class Zaehler final : public PortBackend {
public:
    explicit Zaehler(PortBackend& ziel) : ziel_(ziel) {}
    bool enable(std::uint16_t first, std::uint16_t last) override
    {
        folge.push_back({'e', first, static_cast<std::uint8_t>(last & 0xFF)});
        return ziel_.enable(first, last);
    }
    std::uint8_t read(std::uint16_t port) override
    {
        const std::uint8_t v = ziel_.read(port);
        folge.push_back({'r', port, v});
        return v;
    }
    void write(std::uint16_t port, std::uint8_t value) override
    {
        ziel_.write(port, value);
        folge.push_back({'w', port, value});
    }
    std::vector<Zugriff> folge;

private:
    PortBackend& ziel_;
};

// The hardware component on a backend, configured like the stored main window.
struct Programm {
    explicit Programm(PortBackend& backend) : vorher(setPortBackend(&backend))
    {
        kvx = std::make_unique<TkvxHard>();
        kvx->Meldung = [this](const std::string& t) { meldungen.push_back(t); };
        // Blocks, auxiliary blocks, detectors, turnouts, signal coils, input steps, chain-1 buttons.
        kvx->AnzahlenSetzen({24, 48, 88, 88, 32, 96, 64});
    }
    ~Programm()
    {
        kvx.reset();
        setPortBackend(vorher);
    }
    PortBackend* vorher;
    std::unique_ptr<TkvxHard> kvx;
    std::vector<std::string> meldungen;
};

// A session of the program against a layout with a few inputs set.
void sitzung(TkvxHard& k, VirtualCard& layout)
{
    k.PortInit();
    k.DatenLoeschen();
    k.KettenReset();
    k.SntEin();
    k.BlockSetzen(3, 1, 1, 7);
    k.HBlockSetzen(5, 1);
    k.LedKetteZeigen(2, 37);
    k.WeicheStellen(5, 2);
    layout.setMelder(17, true);
    layout.setBlockOccupied(3, true);
    layout.setHBlockOccupied(6, true);
    layout.setBlockButton(2, true);
    layout.setHBlockButton(2, true);
    layout.setTaster1(40, true);
    int b = 0, h = 0, m = 0, e = 0, bt = 0, ht = 0, t1 = 0;
    k.MelderLesen(b, h, m, e);
    k.TasterLesen(bt, ht, t1);
    k.SntAus();
}

void gleicherStand(const VirtualCard& modell, const VirtualCard& echt)
{
    const VirtualCard::Ansicht a = modell.ansicht(), e = echt.ansicht();
    ASSERT_EQ(a.blocks.size(), e.blocks.size());
    for (std::size_t i = 0; i < a.blocks.size(); ++i)
        EXPECT_EQ(a.blocks[i].byte, e.blocks[i].byte) << "block " << i + 1;
    EXPECT_EQ(a.hblocks, e.hblocks);
    EXPECT_EQ(a.leds, e.leds);
    ASSERT_EQ(a.coils.size(), e.coils.size());
    for (std::size_t i = 0; i < a.coils.size(); ++i)
        EXPECT_EQ(a.coils[i].coil, e.coils[i].coil);
    EXPECT_EQ(a.blockOccupied, e.blockOccupied);
    EXPECT_EQ(a.hblockOccupied, e.hblockOccupied);
    EXPECT_EQ(a.melder, e.melder);
    EXPECT_EQ(a.blockButtons, e.blockButtons);
    EXPECT_EQ(a.hblockButtons, e.hblockButtons);
    EXPECT_EQ(a.taster1, e.taster1);
    EXPECT_EQ(a.keepAliveEdges, e.keepAliveEdges);
}

TEST(Mithoeren, TheRealCardGetsEveryAccessUnchangedAndTheModelSeesWhatItShows)
{
    VirtualCard direktKarte;
    Zaehler direkt(direktKarte);
    kvx::Abbild bildDirekt;
    {
        Programm p(direkt);
        sitzung(*p.kvx, direktKarte);
        bildDirekt = p.kvx->Schnappschuss();
    }

    VirtualCard echtKarte, modell;
    Zaehler echt(echtKarte);
    Mithoeren hoeren(echt, modell);
    AnlagenProtokoll log(modell);
    kvx::Abbild bild;
    {
        Programm p(hoeren);
        sitzung(*p.kvx, echtKarte);
        bild = p.kvx->Schnappschuss();
        EXPECT_TRUE(p.meldungen.empty());
    }

    EXPECT_EQ(echt.folge, direkt.folge);
    EXPECT_GT(std::count_if(echt.folge.begin(), echt.folge.end(), [](const Zugriff& z) { return z.art == 'r'; }), 0);
    EXPECT_EQ(bild.Eingabe, bildDirekt.Eingabe);    // the program read what the real layout reports
    EXPECT_EQ(bild.MelderBelegt[17], 1);
    EXPECT_EQ(bild.TasterZustand[512 + 40], 1);
    gleicherStand(modell, echtKarte);

    const std::vector<std::string> zeilen = log.pruefen();
    for (const char* erwartet : {"\tLED\t1037\tein", "\tWeiche\t5\tabzweigend ein", "\tMelder\t17\tbelegt",
                                 "\tBlock\t3\tein vor 7.0", "\tHilfsblock\t205\tein", "\tBelegt\t206\tbelegt",
                                 "\tTaster\t202\tgedrückt", "\tTaster\t552\tgedrückt"})
        EXPECT_TRUE(std::any_of(zeilen.begin(), zeilen.end(),
                                [&](const std::string& z) { return z.find(erwartet) != std::string::npos; }))
            << erwartet;
}

TEST(Mithoeren, ARefusedAccessReachesTheCallerAndTheModelSeesNothing)
{
    VirtualLayout ohne;
    ohne.portAccess = false;
    VirtualCard echt(ohne), modell;
    Mithoeren hoeren(echt, modell);
    EXPECT_FALSE(hoeren.enable(0x300, 0x31F));
    EXPECT_THROW(hoeren.write(0x303, 0x89), PortError);
    EXPECT_THROW(hoeren.read(0x302), PortError);
    {
        Programm p(hoeren);
        p.kvx->PortInit();
        EXPECT_TRUE(p.kvx->Simulation);
        EXPECT_EQ(p.meldungen.size(), 1u);
        p.kvx->BlockSetzen(3, 1, 1, 7);
    }
    EXPECT_EQ(modell.writes(), 0);
    EXPECT_EQ(modell.reads(), 0);
    EXPECT_FALSE(modell.isOutput(0x300));
    EXPECT_EQ(modell.nextChange(), 0u);
}

// The window and the log read the model while a worker drives the real
// card through the listening backend (ThreadSanitizer watches).
TEST(Mithoeren, ModelReadWhileAWorkerDrivesTheCard)
{
    VirtualCard echt, modell;
    Mithoeren hoeren(echt, modell);
    Programm p(hoeren);
    p.kvx->PortInit();
    AnlagenProtokoll log(modell);
    std::atomic<bool> fertig{false};
    std::thread fahrer([&] {
        for (int i = 0; i < 200; ++i) {
            p.kvx->SntEin();
            p.kvx->BlockSetzen(3, 1, 1, static_cast<std::uint8_t>(7 + i % 2));
            p.kvx->LedKetteZeigen(2, 1 + i % 40);
            p.kvx->LedKetteAus(2, 40);
            p.kvx->SntAus();
        }
        fertig = true;
    });
    std::size_t zeilen = 0;
    VirtualCard::Ansicht a;
    while (!fertig) {
        modell.ansicht(a);
        zeilen += log.pruefen().size();
    }
    fahrer.join();
    zeilen += log.pruefen().size();
    EXPECT_GT(zeilen, 0u);
    gleicherStand(modell, echt);
    EXPECT_EQ(modell.blockView(3, modell.now()).speed, 8);
}

}  // namespace
