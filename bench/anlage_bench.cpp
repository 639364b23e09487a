// BM_VirtualLayoutView: what the window "Virtuelle Anlage" costs the UI
// thread on a large, busy layout: 100 blocks, 256 auxiliary blocks, 512
// detectors, 512 push buttons and three chains of 800 LEDs, all shown at once
// (offscreen), refreshed by the program's own 25 Hz look, which also takes
// the layout log into the window's view.
//
// A worker thread keeps the layout busy through the card component, as a
// train run would: the keep-alive line toggling, eight block commands per
// cycle with a dithering step, one LED chain written per cycle with a lit
// window of LEDs moving on, and a walking occupancy.
//
// Counters:
//  - cpu_percent: CPU time of the UI thread over wall time (the target: < 10);
//  - ms_per_refresh: that CPU time per look of the 25 Hz timer;
//  - log_lines_per_s: lines the layout log took in;
//  - worker_cycles_per_s: how busy the layout was.
#include "anlagenbetrieb.h"
#include "kvxhard.h"
#include "portio.h"
#include "protokollansicht.h"
#include "tfanlage.h"
#include "virtualcard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

constexpr int kSekunden = 4;

// The largest configuration the configuration page allows (push-button
// chain 1 at 16 cards), as card counts.
constexpr std::array<int, config::KartenAnzahl> kKarten{50, 64, 64, 32, 32, 16, 0, 25, 25, 25};

double threadSekunden()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The busy layout: runs until stop is set.
void treiben(VirtualCard& karte, TkvxHard& kvx, const std::atomic<bool>& stop, std::atomic<long>& zyklen)
{
    std::array<std::uint8_t, kvx::MaxLeds + 1> bild{};
    for (int b = 1; b <= kvx.BlockAnzahl; ++b)
        kvx.BlockSetzen(std::uint8_t(b), 1, std::uint8_t(b % 2), 5);
    long n = 0;
    while (!stop.load(std::memory_order_relaxed)) {
        if (n % 2)
            kvx.SntAus();
        else
            kvx.SntEin();
        for (int i = 0; i < 8; ++i) {
            const int b = int((n * 8 + i) % kvx.BlockAnzahl) + 1;
            kvx.BlockSetzen(std::uint8_t(b), 1, std::uint8_t(b % 2), std::uint8_t(7 + n % 2));
        }
        const int kette = int(n % 3) + 1;
        bild.fill(0);
        for (int i = 0; i < 10; ++i)
            bild[std::size_t((n / 3 + i * 7) % kvx::MaxLeds + 1)] = 1;
        kvx.LedKetteSchreiben(kette, bild.data(), kvx::MaxLeds);
        if (n % 4 == 0)
            karte.applyPattern(VirtualCard::Pattern::WalkingOccupancy, int(n / 4));
        ++n;
        zyklen.store(n, std::memory_order_relaxed);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void BM_VirtualLayoutView(benchmark::State& state)
{
    QWidget haupt;
    QStringList meldungen;
    AnlagenBetrieb anlage(&haupt, [&meldungen](const QString& t) { meldungen << t; });
    for (int i = 0; i < config::KartenAnzahl; ++i)
        anlage.kartenSetzen(config::Karte(i), kKarten[std::size_t(i)]);
    VirtualCard* karte = static_cast<VirtualCard*>(anlage.umschalten());
    PortBackend* vorher = setPortBackend(karte);

    TkvxHard kvx;
    kvx.BlockAnzahl = 100;
    kvx.HBlockAnzahl = 256;
    kvx.MelderAnzahl = 512;
    kvx.Led1Anzahl = kvx.Led2Anzahl = kvx.Led3Anzahl = kvx::MaxLeds;
    kvx.PortInit();
    kvx.KettenReset();

    haupt.show();
    anlage.fensterZeigen();
    TfAnlage* fenster = anlage.fenster();
    // Everything at once: the window as large as its content, whatever the screen.
    fenster->resize(fenster->volleGroesse());
    QCoreApplication::processEvents();

    std::atomic<bool> stop{false};
    std::atomic<long> zyklen{0};
    std::thread worker(treiben, std::ref(*karte), std::ref(kvx), std::cref(stop), std::ref(zyklen));

    double cpu = 0, wand = 0;
    qsizetype zeilen = 0;
    long zyklenGesamt = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadSekunden();
        const qsizetype logStart = anlage.protokoll().count('\n');
        const long zStart = zyklen.load();
        QEventLoop loop;
        QTimer::singleShot(kSekunden * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        cpu += threadSekunden() - cpuStart;
        wand += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        zeilen += anlage.protokoll().count('\n') - logStart;
        zyklenGesamt += zyklen.load() - zStart;
    }
    stop = true;
    worker.join();
    setPortBackend(vorher);

    state.counters["cpu_percent"] = 100.0 * cpu / wand;
    state.counters["ms_per_refresh"] = 1000.0 * cpu / (wand * 1000.0 / AnlagenBetrieb::TaktMs);
    state.counters["log_lines_per_s"] = double(zeilen) / wand;
    state.counters["worker_cycles_per_s"] = double(zyklenGesamt) / wand;
    if (!meldungen.isEmpty())
        state.SkipWithError(meldungen.first().toLocal8Bit().constData());
}

}  // namespace

BENCHMARK(BM_VirtualLayoutView)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
