// The keep-alive tick of the running program: the real main window, shown
// offscreen on the virtual card, with the occupancy page in view and the
// largest occupancy configuration (50 block cards, 64 auxiliary-block cards,
// 64 detector cards: an input cycle of 512 steps and three full grids). A
// walking occupancy changes the inputs on every tick, so every poll changes
// cells of all three grids and all three counters.
//
// The figures come from the virtual card's own record of the keep-alive
// edges, i.e. from what the cards of the layout would see:
//   period_*  rising edge to rising edge,
//   low_*     falling edge to the next rising edge,
//   cpu_percent  process CPU time over wall time while the tick runs,
//   runqueue_wait_ms  how long the UI thread waited for a processor in all
//             (other work on the machine: the higher, the less the
//             period figures say about the program).
//
// BM_KeepAliveMelderWeb runs the same with the web page's server on
// loopback and its largest number of pages connected: eight WebSocket
// clients on a thread of their own (standing for the phones), each getting
// the occupancy that changes on every tick. Beside the figures above:
//   messages_per_client  occupancy messages each client got, on average,
//   message_kb           the size of one.
#include "fernsteuerung.h"
#include "kvxhard.h"
#include "mainwindow.h"
#include "portio.h"
#include "prozessorwarten.h"
#include "virtualcard.h"
#include "webanbindung.h"
#include "webserver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

constexpr int kTicks = 600;   // measured periods, 12 s
constexpr int kTimeoutMs = 3 * kTicks * fernsteuerung::PeriodeMs + 10000;

const QByteArray kIni = "[Karten]\r\nBlock=50\r\nHilfsBlock=64\r\nMelder=64\r\n";

// The same cards on the virtual layout; the others as it has them.
constexpr VirtualLayout kAnlage{.blockCards = 50, .hblockCards = 64, .melderCards = 64};

// Between the program and the virtual card: on every falling edge of the
// keep-alive line the occupancy moves on by one element, and a callback
// learns how many falling edges there were since it was armed.
class Wanderung final : public PortBackend {
public:
    explicit Wanderung(VirtualCard& karte) : karte_(karte) {}

    bool enable(std::uint16_t first, std::uint16_t last) override { return karte_.enable(first, last); }
    std::uint8_t read(std::uint16_t port) override { return karte_.read(port); }
    void write(std::uint16_t port, std::uint8_t value) override
    {
        if (port != kvx::PortC2 || !aktiv_) {
            karte_.write(port, value);
            return;
        }
        const bool vorher = karte_.keepAlive().level;
        karte_.write(port, value);
        if (vorher && !karte_.keepAlive().level) {
            karte_.applyPattern(VirtualCard::Pattern::WalkingOccupancy, ++schritt_);
            if (beiFlanke_)
                beiFlanke_(schritt_);
        }
    }

    void starten(std::function<void(int)> beiFlanke)
    {
        schritt_ = 0;
        beiFlanke_ = std::move(beiFlanke);
        aktiv_ = true;
    }

private:
    VirtualCard& karte_;
    bool aktiv_ = false;
    int schritt_ = 0;
    std::function<void(int)> beiFlanke_;
};

// Lets the event loop run for that long.
void eventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double ms(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double cpuSekunden()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Nearest-rank percentile of a sorted, non-empty list.
double perzentil(const std::vector<double>& sortiert, double p)
{
    const auto rang = std::size_t(std::ceil(p / 100.0 * double(sortiert.size())));
    return sortiert[std::clamp(rang, std::size_t(1), sortiert.size()) - 1];
}

struct Phasen {
    std::vector<double> perioden;  // rising to rising
    std::vector<double> tief;      // falling to the next rising
};

Phasen auswerten(const std::vector<VirtualCard::Edge>& flanken)
{
    Phasen p;
    const VirtualCard::Edge* letzteSteigend = nullptr;
    const VirtualCard::Edge* letzteFallend = nullptr;
    for (const VirtualCard::Edge& e : flanken) {
        if (e.rising) {
            if (letzteSteigend)
                p.perioden.push_back(ms(e.at - letzteSteigend->at));
            if (letzteFallend)
                p.tief.push_back(ms(e.at - letzteFallend->at));
            letzteSteigend = &e;
            letzteFallend = nullptr;
        } else {
            letzteFallend = &e;
        }
    }
    std::sort(p.perioden.begin(), p.perioden.end());
    std::sort(p.tief.begin(), p.tief.end());
    return p;
}

// The phones: clients on their own thread that say they are there twice a
// second and count what they get.
class Telefone {
public:
    Telefone(int anzahl, const QUrl& url, const QString& origin)
    {
        thread_.start();
        for (int i = 0; i < anzahl; ++i) {
            QMetaObject::invokeMethod(&kontext_, [this, url, origin] {
                auto* ws = new QWebSocket(origin, QWebSocketProtocol::VersionLatest, &kontext_);
                QObject::connect(ws, &QWebSocket::connected, [this] { ++verbunden; });
                QObject::connect(ws, &QWebSocket::textMessageReceived, [this](const QString& t) {
                    if (t.contains(QLatin1String("\"typ\":\"belegung\""))) {
                        ++belegungen;
                        groesse = int(t.size());
                    }
                });
                auto* lebt = new QTimer(ws);
                QObject::connect(lebt, &QTimer::timeout, ws,
                                 [ws] { ws->sendTextMessage(QStringLiteral(R"({"befehl":"lebt"})")); });
                lebt->start(500);
                ws->open(url);
            });
        }
    }
    ~Telefone()
    {
        QMetaObject::invokeMethod(&kontext_, [this] { qDeleteAll(kontext_.children()); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    std::atomic<int> verbunden{0};
    std::atomic<int> belegungen{0};
    std::atomic<int> groesse{0};

private:
    struct Kontext : QObject {
        explicit Kontext(QThread& t) { moveToThread(&t); }
    };
    QThread thread_;
    Kontext kontext_{thread_};
};

void keepAliveMessen(benchmark::State& state, int telefone)
{
#ifdef __linux__
    // As the program does: the timers of the UI thread wake as close to their
    // time as the kernel allows.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("KVXTEST.INI")));
    if (!dir.isValid() || !ini.open(QIODevice::WriteOnly) || ini.write(kIni) != kIni.size()) {
        state.SkipWithError("cannot write KVXTEST.INI");
        return;
    }
    ini.close();

    VirtualCard karte(kAnlage);
    Wanderung wanderung(karte);
    QStringList meldungen;
    MainOptions o;
    o.programmPfad = dir.path();
    o.backend = &wanderung;
    o.meldung = [&meldungen](const QString& text) { meldungen << text; };
    TfMain w(std::move(o));
    w.show();
    QCoreApplication::processEvents();
    w.pControl->setCurrentIndex(TfMain::SMelder);
    QCoreApplication::processEvents();
    if (w.pControl->currentIndex() != TfMain::SMelder) {
        state.SkipWithError("the occupancy page cannot be shown");
        return;
    }
    std::unique_ptr<WebAnbindung> web;
    std::unique_ptr<Telefone> phones;
    if (telefone > 0) {
        web = std::make_unique<WebAnbindung>(w, QStringLiteral("127.0.0.1:0"));
        const quint16 port = web->server().port();
        phones = std::make_unique<Telefone>(
            telefone, QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?k=%2").arg(port).arg(QString::fromLatin1(web->server().schluessel()))),
            QStringLiteral("http://127.0.0.1:%1").arg(port));
        QEventLoop warten;
        QTimer pruefen;
        QObject::connect(&pruefen, &QTimer::timeout, &warten, [&] {
            if (web->server().clients() == telefone && phones->verbunden == telefone)
                warten.quit();
        });
        pruefen.start(10);
        QTimer::singleShot(10000, &warten, &QEventLoop::quit);
        warten.exec();
        if (web->server().clients() != telefone) {
            state.SkipWithError("the clients did not connect");
            return;
        }
    }
    w.mnuSNTeinClick();   // returns after the start-up pattern

    for (auto _ : state) {
        const int belegungenVorher = phones ? phones->belegungen.load() : 0;
        QEventLoop loop;
        karte.clearKeepAliveEdges();
        // kTicks + 1 falling edges: kTicks + 1 rising ones, the last right after the quit.
        wanderung.starten([&loop](int n) {
            if (n == kTicks + 1)
                loop.quit();
        });
        QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSekunden();
        const double wartenStart = wartenAufProzessor();
        loop.exec();
        const double cpu = cpuSekunden() - cpuStart;
        const double warten = wartenAufProzessor() - wartenStart;
        const double wand = ms(std::chrono::steady_clock::now() - start) / 1000.0;

        const Phasen p = auswerten(karte.keepAliveEdges());
        if (p.perioden.size() < std::size_t(kTicks) || p.tief.empty()) {
            state.SkipWithError("too few keep-alive periods in time");
            return;
        }
        state.counters["ticks"] = double(p.perioden.size());
        state.counters["period_median_ms"] = perzentil(p.perioden, 50);
        state.counters["period_p99_ms"] = perzentil(p.perioden, 99);
        state.counters["period_max_ms"] = p.perioden.back();
        state.counters["low_median_ms"] = perzentil(p.tief, 50);
        state.counters["low_p99_ms"] = perzentil(p.tief, 99);
        state.counters["cpu_percent"] = wand > 0 ? 100.0 * cpu / wand : 0.0;
        if (wartenStart >= 0)
            state.counters["runqueue_wait_ms"] = 1000.0 * warten;
        if (phones) {
            eventsFor(200);   // the last messages on their way
            state.counters["messages_per_client"] = double(phones->belegungen - belegungenVorher) / telefone;
            state.counters["message_kb"] = phones->groesse / 1024.0;
        }
    }
    w.mnuSNTausClick();
    for (const QString& m : meldungen)
        std::fprintf(stderr, "KeepAliveMelder: message: %s\n", qPrintable(m));
}

void BM_KeepAliveMelder(benchmark::State& state)
{
    keepAliveMessen(state, 0);
}

void BM_KeepAliveMelderWeb(benchmark::State& state)
{
    keepAliveMessen(state, web::MaxClients);
}

}  // namespace

BENCHMARK(BM_KeepAliveMelder)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeepAliveMelderWeb)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
