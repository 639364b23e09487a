// VirtualCard: the KVX interface card and the card chains of a layout, in
// software.
//
// A PortBackend that models the hardware on its own terms: two 8255 chips
// whose control words set the port directions and clear the output latches,
// and card chains that react to the rising edges of their clock and latch
// lines exactly as the shift registers on the cards do. It never asks the
// hardware component what it meant to do; it only sees port traffic. Tests
// read what the layout would show (blocks, LEDs, powered coils, the
// keep-alive line) and set what the layout reports (occupancy, push buttons).
//
// Before the first control word the 8255 ports are inputs (the chips' reset
// state): writes to them do nothing until the software programs the chips.
//
// Thread-safe: one internal mutex guards the whole card, so a test may read
// the views and set inputs while another thread drives the ports.
//
// Beside the real ports (see Mithoeren) the card only listens: observeWrite()
// and observeRead() show it the traffic that went to the real card, and the
// input states follow what the real input lines delivered.
//
// Changes of what the cards show or report (keep-alive starting and stopping,
// latched blocks and LEDs, coils powered, inputs) are kept as a numbered
// list of Change entries with their time, for the layout log; ansicht() is
// the whole picture in one piece, for the virtual layout's window.
#pragma once

#include "portio.h"
#include "fehlerschicht.h"
#include "verdrahtungsfehler.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

// Card counts of the virtual layout; each card brings a fixed number of
// stages on its chain and of steps on its input line.
struct VirtualLayout {
    int blockCards = 12;     // 2 blocks, 16 block-chain stages, 8 input steps each
    int hblockCards = 12;    // 4 auxiliary blocks, 8 input steps each
    int melderCards = 11;    // 8 detectors, 8 input steps each
    int weichenCards = 11;   // 8 turnouts, 16 turnout-chain stages each
    int signalCards = 2;     // 16 signal coils, 16 signal-chain stages each
    int taster1Cards = 2;    // 32 push buttons of chain 1, 32 input steps each
    int led1Cards = 25;      // 32 LEDs each
    int led2Cards = 25;
    int led3Cards = 25;
    bool portAccess = true;  // false: enable() refuses and every access throws PortError
};

class VirtualCard final : public PortBackend {
public:
    enum class Chain { Block, Turnout, Signal, Led1, Led2, Led3 };

    struct BlockState {
        bool powered = false;
        bool forward = false;
        int speed = 0;           // 0..15
        bool auxOdd = false;     // auxiliary block 2b - 1
        bool auxEven = false;    // auxiliary block 2b
        std::uint8_t byte = 0;   // the latched block byte as a whole
        friend bool operator==(const BlockState&, const BlockState&) = default;
    };

    struct Coil {
        enum class Kind { Turnout, Signal };
        Kind kind = Kind::Turnout;
        int number = 0;          // turnout n or signal coil n
        int lage = 0;            // turnouts: 1 straight (stage 2n - 1), 2 diverging (stage 2n); signals 0
        friend bool operator==(const Coil&, const Coil&) = default;
    };

    struct KeepAlive {
        bool level = false;
        long edges = 0;          // rising and falling
        std::chrono::steady_clock::time_point lastEdge{};
    };

    struct Edge {
        std::chrono::steady_clock::time_point at{};
        bool rising = false;
    };

    struct Access {
        std::uint16_t port = 0;
        std::uint8_t value = 0;
        bool write = false;
        friend bool operator==(const Access&, const Access&) = default;
    };

    using Clock = std::chrono::steady_clock;

    // A powered coil and since when it is on.
    struct PoweredCoil {
        Coil coil;
        Clock::time_point since{};
    };

    // One block as the window shows it. The step is averaged over the last
    // AverageWindow..2 x AverageWindow (the speed dither of the drive and
    // route threads), time without power counting as step 0.
    struct BlockView {
        bool powered = false;        // powered at some time within the averaging window
        bool poweredNow = false;     // the latched power bit
        bool forward = false;        // direction it was last powered with (else the latched bit)
        int speed = 0;               // latched step 0..15
        double averagedSpeed = 0.0;  // mean step over the window
        std::uint8_t byte = 0;       // the latched block byte
    };

    // Everything the virtual layout's window shows, taken in one piece under
    // the card's lock. Element n of every list is at index n - 1.
    struct Ansicht {
        Clock::time_point at{};                // the card's clock when it was taken
        std::uint64_t stand = 0;               // number of the next Change: equal means no change
                                               // (SNT going off and the averages move with time alone)
        VirtualLayout layout;
        bool snt = false;                      // a keep-alive edge within the last SntTimeout
        long keepAliveEdges = 0;
        Clock::time_point lastKeepAliveEdge{};
        std::vector<BlockView> blocks;         // 2 per block card
        std::vector<std::uint8_t> hblocks;     // auxiliary block outputs: 2 per block (its bits 0 and 1)
        std::vector<PoweredCoil> coils;        // powered now, turnouts first
        std::array<std::vector<std::uint8_t>, 3> leds;   // LED chains 1..3: 1 lit
        std::vector<std::uint8_t> blockOccupied, hblockOccupied, melder;       // what the layout reports
        std::vector<std::uint8_t> blockButtons, hblockButtons, taster1;        // 1 pressed
    };

    // One change of what the cards show or report.
    struct Change {
        enum class Kind : std::uint8_t {
            Snt,             // value 1: keep-alive edges started, 0: none for SntTimeout (at = last edge + SntTimeout)
            Block,           // number b, value: the newly latched block byte
            Led,             // sub: chain 1..3, number n, value 1 lit / 0 dark
            TurnoutCoil,     // number n, sub: lage 1 straight / 2 diverging, value 1 on / 0 off
            SignalCoil,      // number n, value 1 on / 0 off
            BlockOccupied,   // number b, value 1 occupied / 0 free
            HBlockOccupied,  // number h
            Melder,          // number m
            BlockButton,     // number i (block-card button), value 1 pressed / 0 released
            HBlockButton,    // number h
            Taster1,         // number k
        };
        Clock::time_point at{};
        std::uint64_t seq = 0;
        Kind kind = Kind::Snt;
        std::uint8_t sub = 0;
        std::uint16_t number = 0;
        std::uint8_t value = 0;
    };

    // The supply holds through the start pulse of 100 ms high (kvx::SntStartPuls)
    // and goes off when the line has not changed for longer.
    static constexpr Clock::duration SntTimeout = std::chrono::milliseconds(150);
    static constexpr Clock::duration AverageWindow = std::chrono::milliseconds(50);
    static constexpr std::size_t MaxChanges = 1 << 16;

    explicit VirtualCard(const VirtualLayout& layout = {});

    // PortBackend
    bool enable(std::uint16_t first, std::uint16_t last) override;
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;

    // Listening beside the real card: a write or a read (with the value the
    // real card returned) that already happened there. Never throws; ports
    // outside the chips are only counted. A read of 0x302 after a load pulse
    // sets the inputs of its step to what the real lines delivered, so an
    // input set by hand lasts only until the next input cycle.
    void observeWrite(std::uint16_t port, std::uint8_t value);
    void observeRead(std::uint16_t port, std::uint8_t value);

    VirtualLayout layout() const;
    // Follows a new configuration: the chains and input lines take the new
    // card counts; stages, outputs and inputs that remain keep their state.
    void setLayout(const VirtualLayout& layout);

    // The clock of time stamps and averages (steady_clock::now unless set).
    void setClock(std::function<Clock::time_point()> clock);
    Clock::time_point now() const;

    // Wiring faults between the chains' lines and the elements (see
    // fehlerschicht.h); none at construction. seed drives the flickering inputs.
    void setFehler(std::vector<verdrahtung::Fehler> fehler, std::uint64_t seed = 1);
    std::vector<verdrahtung::Fehler> fehler() const;

    // --- the virtual layout's window and the layout log ----------------------
    Ansicht ansicht() const;
    void ansicht(Ansicht& into) const;           // the same, reusing into's storage
    // The averaged step of block b (see BlockView) at time at (the card's clock).
    BlockView blockView(int b, Clock::time_point at) const;
    // Appends the changes numbered from..until-1 that are still kept (the
    // newest MaxChanges) to out; returns the number of the first one appended
    // (> from when some were lost).
    std::uint64_t changes(std::uint64_t from, std::uint64_t until, std::vector<Change>& out) const;
    std::uint64_t nextChange() const;

    // --- what the layout shows ---------------------------------------------
    int chainLength(Chain chain) const;
    BlockState block(int b) const;              // all off for a block the layout does not have
    bool hblockOn(int h) const;
    bool ledLit(int chain, int n) const;        // chain 1..3, LED n = latched output n
    std::vector<int> litLeds(int chain) const;
    std::vector<Coil> poweredCoils() const;     // every coil powered right now, turnouts first
    bool coilEnable() const;                    // port 0x300 bit 2 as the cards see it
    // Every change of the powered coils to a non-empty set, in order, since the
    // last clearCoilLog(): a coil chain clocked while powered shows up here.
    std::vector<std::vector<Coil>> coilLog() const;
    void clearCoilLog();
    std::vector<int> registerStages(Chain chain) const;  // stages (from 1) of the shift register holding a 1
    std::vector<int> outputStages(Chain chain) const;    // outputs holding a 1 (latched; coil chains: the register)
    KeepAlive keepAlive() const;
    // Every edge of the keep-alive line, oldest first, since the last
    // clearKeepAliveEdges(); the newest MaxKeepAliveEdges are kept.
    std::vector<Edge> keepAliveEdges() const;
    void clearKeepAliveEdges();
    static constexpr std::size_t MaxKeepAliveEdges = 1 << 16;
    std::uint8_t outputLatch(std::uint16_t port) const;  // the chip's output latch, 0 for an input port
    bool isOutput(std::uint16_t port) const;             // 0x300..0x302, 0x304..0x306 as programmed

    // --- what the layout reports (false: the layout has no such element) ----
    bool setBlockOccupied(int b, bool on);
    bool setBlockInput2(int b, bool on);
    bool setBlockButton(int i, bool pressed);    // block-card button i = 1..4 x blockCards
    bool setHBlockOccupied(int h, bool on);
    bool setHBlockButton(int h, bool pressed);
    bool setMelder(int m, bool on);
    bool setTaster1(int k, bool pressed);
    void clearInputs();

    // Named, repeatable input patterns; each replaces all inputs.
    enum class Pattern {
        AllFree,              // nothing occupied, no button pressed
        AllOccupied,          // every block, auxiliary block and detector occupied
        AllDetectorsOccupied, // every detector occupied, nothing else
        WalkingOccupancy,     // element (step mod count) + 1 of blocks, aux blocks and detectors
        AllButtonsPressed,    // every button of the block cards, aux cards and chain 1
    };
    void applyPattern(Pattern pattern, int step = 0);

    // --- traffic -------------------------------------------------------------
    long writes() const;
    long reads() const;
    long writesTo(std::uint16_t port) const;
    long enableCalls() const;                   // calls of enable(), granted or not
    void setTracing(bool on);                   // off at construction
    std::vector<Access> trace() const;
    void resetCounters();                       // counters and trace

private:
    struct ShiftChain {
        std::vector<std::uint8_t> reg;   // ring buffer, stage i at reg[(head + i - 1) % size]
        std::vector<std::uint8_t> out;   // latched outputs, out[i - 1] = output i
        std::size_t head = 0;
        void shift(bool data);
        bool stage(int i) const;         // i from 1; false beyond the chain
        // Copies the register to the outputs; the indices (from 0) of the
        // outputs that changed are appended to changed.
        void latch(std::vector<std::uint32_t>& changed);
        void resize(std::size_t stages);  // keeps stages and outputs that remain
        std::vector<std::uint8_t> stages() const;   // stage i at [i - 1]
    };

    // A block's latched byte over time, for the averaged step: the integral
    // of the step (step x ns, 0 without power) is kept at the starts of the
    // current and of the previous AverageWindow bucket of the clock.
    struct BlockTrack {
        std::uint8_t byte = 0;
        std::int64_t since = 0;          // ns of the clock when byte was latched
        std::int64_t integral = 0;       // up to since
        std::int64_t bucket = 0;         // bucket of since
        std::int64_t atBucket = 0, atPrevBucket = 0;
        bool everPowered = false;
        bool forwardPowered = false;     // direction while last powered
        std::int64_t poweredUntil = 0;   // ns when power last went off
        void start(std::int64_t t);      // as if byte had been latched for ever, seen from t
        std::int64_t integralAt(std::int64_t t) const;
        void advance(std::int64_t t);    // bucket boundaries up to t (>= since)
        void latch(std::uint8_t next, std::int64_t t);
        BlockView view(std::int64_t t) const;
    };

    struct Chip {
        std::array<std::uint8_t, 3> latch{};
        bool aOut = false, bOut = false, cUpperOut = false, cLowerOut = false;
        std::uint8_t outputMask(int index) const;  // bits of port index driven by the chip
        std::uint8_t level(int index) const;       // the lines as the cards see them
    };

    bool inCardRange(std::uint16_t port) const;
    void countWrite(std::uint16_t port, std::uint8_t value);   // counters and trace
    void writeLocked(std::uint16_t port, std::uint8_t value);
    void controlWord(int chipIndex, std::uint8_t value);
    void linesChanged(int chipIndex, int index, std::uint8_t before, std::uint8_t after);
    void loadInputs();
    void noteCoils();
    std::vector<Coil> poweredCoilsLocked() const;
    ShiftChain& chain(Chain c);
    const ShiftChain& chain(Chain c) const;
    std::uint8_t inputByte() const;
    bool setInput(std::vector<std::uint8_t>& image, Change::Kind kind, int n, bool on);
    void clearInputsLocked();
    void assignInput(std::vector<std::uint8_t>& image, Change::Kind kind, int n, bool on);
    bool recorded(Change::Kind kind) const;
    // The kind of the blocks' second inputs: kept, but not logged (no page shows them).
    static constexpr Change::Kind NotLogged = Change::Kind::Snt;
    void replaceInputs(std::vector<std::uint8_t>& image, Change::Kind kind, const std::vector<std::uint8_t>& next);
    void resizeLocked(Clock::time_point t);
    void ansichtLocked(Ansicht& into, Clock::time_point at) const;
    Clock::time_point stamp();              // the time of the access in progress, taken once
    std::int64_t stampNs() { return stamp().time_since_epoch().count(); }
    void record(Change::Kind kind, int number, std::uint8_t value, std::uint8_t sub = 0);
    void record(Change::Kind kind, int number, std::uint8_t value, std::uint8_t sub, Clock::time_point at);
    void blockLatched();
    void blockChanged();                    // records the blocks of changed_
    void ledLatched(int chainNo, ShiftChain& c);
    void ledChanged(int chainNo, const ShiftChain& c);
    // A latch through the wiring faults; the changed outputs into changed_.
    void latchChain(Chain c);
    void takeOutputs(ShiftChain& c, const std::vector<std::uint8_t>& next);
    std::vector<std::uint8_t> coilLines(Chain c) const;   // what the coils see of the stages
    void keepAliveEdge(bool level);
    void observedInput(std::uint8_t value);

    VirtualLayout layout_;
    mutable std::mutex mutex_;
    Fehlerschicht schicht_;             // the wiring faults between the chains and the elements
    std::vector<std::uint8_t> lines_;   // scratch of latchChain()

    std::array<Chip, 2> chips_{};
    ShiftChain block_, turnout_, signal_, led1_, led2_, led3_;

    // Input states of the layout, indexed from 1.
    std::vector<std::uint8_t> blockOcc_, blockIn2_, blockButton_, hblockOcc_, hblockButton_, melder_, taster1_;
    std::vector<std::uint8_t> frame_;   // what the input lines hold after the last load, step 1 first
    std::size_t step_ = 0;              // input clocks since the last load

    KeepAlive keepAlive_;
    std::deque<Edge> keepAliveEdges_;
    std::vector<Coil> lastCoils_;
    std::vector<Clock::time_point> coilSince_;   // when each of lastCoils_ came on
    std::vector<std::vector<Coil>> coilLog_;

    std::function<Clock::time_point()> clock_;
    Clock::time_point stamp_{};
    bool stampTaken_ = false;
    std::vector<Change> changes_;       // ring: change seq at changes_[seq % MaxChanges]
    std::uint64_t nextSeq_ = 0;
    std::vector<BlockTrack> blocks_;    // block b at [b - 1]
    std::vector<std::uint32_t> changed_;   // scratch of latch()
    bool loadSeen_ = false;             // an input load since the start: reads belong to a step

    long writes_ = 0, reads_ = 0, enables_ = 0;
    std::array<long, 0x40> writesPerPort_{};
    bool tracing_ = false;
    std::vector<Access> trace_;
};
