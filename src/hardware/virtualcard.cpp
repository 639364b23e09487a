#include "virtualcard.h"

#include "virtualcard_lines.h"

#include <algorithm>
#include <string>

using namespace karte;

namespace {

constexpr std::size_t kCoilLogLimit = 100000;

int nonNegative(int n)
{
    return n < 0 ? 0 : n;
}

bool entry(const std::vector<std::uint8_t>& image, int n)
{
    return n >= 1 && n < static_cast<int>(image.size()) && image[static_cast<std::size_t>(n)] != 0;
}

}  // namespace

// --- shift registers ---------------------------------------------------------

void VirtualCard::ShiftChain::shift(bool data)
{
    if (reg.empty())
        return;
    head = (head + reg.size() - 1) % reg.size();   // the last stage falls off
    reg[head] = data ? 1 : 0;
}

bool VirtualCard::ShiftChain::stage(int i) const
{
    if (i < 1 || i > static_cast<int>(reg.size()))
        return false;
    return reg[(head + static_cast<std::size_t>(i) - 1) % reg.size()] != 0;
}

void VirtualCard::ShiftChain::latch(std::vector<std::uint32_t>& changed)
{
    // Output i + 1 takes stage i + 1, that is reg[(head + i) % size]: the
    // register in two runs, from head to its end and from its start.
    const std::size_t n = std::min(out.size(), reg.size());
    const std::size_t first = std::min(n, reg.size() - head);
    auto take = [&](std::size_t i, std::uint8_t bit) {
        if (out[i] != bit) {
            out[i] = bit;
            changed.push_back(static_cast<std::uint32_t>(i));
        }
    };
    for (std::size_t i = 0; i < first; ++i)
        take(i, reg[head + i]);
    for (std::size_t i = first; i < n; ++i)
        take(i, reg[i - first]);
}

void VirtualCard::ShiftChain::resize(std::size_t stages)
{
    std::vector<std::uint8_t> next(stages, 0);
    for (std::size_t i = 0; i < stages && i < reg.size(); ++i)
        next[i] = stage(static_cast<int>(i) + 1) ? 1 : 0;
    reg = std::move(next);
    head = 0;
    out.resize(stages, 0);
}

std::uint8_t VirtualCard::Chip::outputMask(int index) const
{
    switch (index) {
    case 0:
        return aOut ? 0xFF : 0x00;
    case 1:
        return bOut ? 0xFF : 0x00;
    default:
        return static_cast<std::uint8_t>((cUpperOut ? 0xF0 : 0) | (cLowerOut ? 0x0F : 0));
    }
}

std::uint8_t VirtualCard::Chip::level(int index) const
{
    return static_cast<std::uint8_t>(latch[static_cast<std::size_t>(index)] & outputMask(index));
}

// --- construction ------------------------------------------------------------

VirtualCard::VirtualCard(const VirtualLayout& layout)
    : layout_(layout)
{
    resizeLocked(Clock::now());
}

// Chains, input images and block tracks sized to layout_; what remains
// keeps its state, new blocks start dark at t.
void VirtualCard::resizeLocked(Clock::time_point t)
{
    auto stages = [](int n) { return static_cast<std::size_t>(nonNegative(n)); };
    block_.resize(16 * stages(layout_.blockCards));
    turnout_.resize(16 * stages(layout_.weichenCards));
    signal_.resize(16 * stages(layout_.signalCards));
    led1_.resize(32 * stages(layout_.led1Cards));
    led2_.resize(32 * stages(layout_.led2Cards));
    led3_.resize(32 * stages(layout_.led3Cards));

    auto sizeImage = [](std::vector<std::uint8_t>& v, std::size_t elements) {
        v.resize(elements + 1, 0);
    };
    sizeImage(blockOcc_, 2 * stages(layout_.blockCards));
    sizeImage(blockIn2_, 2 * stages(layout_.blockCards));
    sizeImage(blockButton_, 4 * stages(layout_.blockCards));
    sizeImage(hblockOcc_, 4 * stages(layout_.hblockCards));
    sizeImage(hblockButton_, 4 * stages(layout_.hblockCards));
    sizeImage(melder_, 8 * stages(layout_.melderCards));
    sizeImage(taster1_, 32 * stages(layout_.taster1Cards));
    const std::size_t known = blocks_.size();
    blocks_.resize(2 * stages(layout_.blockCards));
    for (std::size_t b = known; b < blocks_.size(); ++b)
        blocks_[b].start(t.time_since_epoch().count());
}

// --- port access -------------------------------------------------------------

bool VirtualCard::inCardRange(std::uint16_t port) const
{
    return (port >= kBase && port < kFirstEnd) || (port >= kSecondBase && port < kSecondEnd);
}

bool VirtualCard::enable(std::uint16_t first, std::uint16_t last)
{
    bool access = false;
    {
        std::lock_guard guard(mutex_);
        ++enables_;
        access = layout_.portAccess;
    }
    if (!access || first > last)
        return false;
    for (unsigned p = first; p <= last; ++p)
        if (!inCardRange(static_cast<std::uint16_t>(p)))
            return false;
    return true;
}

std::uint8_t VirtualCard::read(std::uint16_t port)
{
    std::lock_guard guard(mutex_);
    ++reads_;
    std::uint8_t value = 0xFF;   // open bus behind the chips
    if (!layout_.portAccess || !inCardRange(port)) {
        if (tracing_)
            trace_.push_back({port, 0, false});
        throw PortError("Kein Portzugriff auf " + portName(port));
    }
    if (port < kChipsEnd) {
        const int chipIndex = (port - kBase) / 4;
        const int index = (port - kBase) % 4;
        const Chip& chip = chips_[static_cast<std::size_t>(chipIndex)];
        if (index == 3) {
            value = 0xFF;   // the control register cannot be read back
        } else {
            const std::uint8_t in = (chipIndex == 0 && index == 2) ? inputByte() : 0;
            const std::uint8_t outMask = chip.outputMask(index);
            value = static_cast<std::uint8_t>((chip.latch[static_cast<std::size_t>(index)] & outMask) | (in & ~outMask));
        }
    }
    if (tracing_)
        trace_.push_back({port, value, false});
    return value;
}

void VirtualCard::countWrite(std::uint16_t port, std::uint8_t value)
{
    ++writes_;
    if (port >= kBase && port < kBase + writesPerPort_.size())
        ++writesPerPort_[port - kBase];
    if (tracing_)
        trace_.push_back({port, value, true});
}

void VirtualCard::write(std::uint16_t port, std::uint8_t value)
{
    std::lock_guard guard(mutex_);
    countWrite(port, value);
    if (!layout_.portAccess || !inCardRange(port))
        throw PortError("Kein Portzugriff auf " + portName(port));
    if (port < kChipsEnd)
        writeLocked(port, value);
}

void VirtualCard::writeLocked(std::uint16_t port, std::uint8_t value)
{
    stampTaken_ = false;
    const int chipIndex = (port - kBase) / 4;
    const int index = (port - kBase) % 4;
    if (index == 3) {
        controlWord(chipIndex, value);
        return;
    }
    Chip& chip = chips_[static_cast<std::size_t>(chipIndex)];
    const std::uint8_t before = chip.level(index);
    std::uint8_t& latch = chip.latch[static_cast<std::size_t>(index)];
    const std::uint8_t outMask = chip.outputMask(index);   // an input port keeps nothing of a write
    latch = static_cast<std::uint8_t>((value & outMask) | (latch & ~outMask));
    const std::uint8_t after = chip.level(index);
    linesChanged(chipIndex, index, before, after);
}

void VirtualCard::controlWord(int chipIndex, std::uint8_t value)
{
    Chip& chip = chips_[static_cast<std::size_t>(chipIndex)];
    std::array<std::uint8_t, 3> before{chip.level(0), chip.level(1), chip.level(2)};
    if (value & 0x80) {
        // Mode set: directions from the word, every output latch cleared.
        chip.aOut = !(value & 0x10);
        chip.cUpperOut = !(value & 0x08);
        chip.bOut = !(value & 0x02);
        chip.cLowerOut = !(value & 0x01);
        chip.latch = {0, 0, 0};
    } else {
        // Bit set/reset on port C.
        const std::uint8_t mask = static_cast<std::uint8_t>(1u << ((value >> 1) & 0x07));
        if (value & 0x01)
            chip.latch[2] = static_cast<std::uint8_t>(chip.latch[2] | mask);
        else
            chip.latch[2] = static_cast<std::uint8_t>(chip.latch[2] & ~mask);
    }
    for (int i = 0; i < 3; ++i)
        linesChanged(chipIndex, i, before[static_cast<std::size_t>(i)], chip.level(i));
}

// Reacts to the lines of one port the way the cards do: a rising clock shifts
// the data line as it stands after this write, a rising latch copies the
// register to the outputs. Latches act before clocks of the same write, so a
// register's state is latched before it moves on.
void VirtualCard::linesChanged(int chipIndex, int index, std::uint8_t before, std::uint8_t after)
{
    const std::uint8_t rising = static_cast<std::uint8_t>(~before & after);
    if (chipIndex == 0 && index == 0) {
        if (rising & kTurnoutClock)
            turnout_.shift(after & kTurnoutData);
        if (rising & kInputLoad)
            loadInputs();
        if (rising & kLed2Clock)
            led2_.shift(after & kLed2Data);
        if (rising & kLed1Clock)
            led1_.shift(after & kLed1Data);
        if ((rising & kTurnoutClock) || ((before ^ after) & kCoilEnable))
            noteCoils();
    } else if (chipIndex == 0 && index == 1) {
        if (rising & kBlockLatch)
            blockLatched();
        if (rising & kLed1Latch)
            ledLatched(1, led1_);
        if (rising & kLed2Latch)
            ledLatched(2, led2_);
        if (rising & kInputClock)
            ++step_;
        if (rising & kSignalClock) {
            signal_.shift(after & kSignalData);
            noteCoils();
        }
        if (rising & kBlockClock)
            block_.shift(after & kBlockData);
    } else if (chipIndex == 1 && index == 2) {
        if ((before ^ after) & kKeepAlive)
            keepAliveEdge((after & kKeepAlive) != 0);
        if (rising & kLed3Latch)
            ledLatched(3, led3_);
        if (rising & kLed3Clock)
            led3_.shift(after & kLed3Data);
    }
}

// The load pulse: every input line takes over the current input states.
void VirtualCard::loadInputs()
{
    const int blockSteps = 8 * nonNegative(layout_.blockCards);
    const int hblockSteps = 8 * nonNegative(layout_.hblockCards);
    const int melderSteps = 8 * nonNegative(layout_.melderCards);
    const int tasterSteps = 32 * nonNegative(layout_.taster1Cards);
    const int steps = std::max({blockSteps, hblockSteps, melderSteps, tasterSteps});
    frame_.assign(static_cast<std::size_t>(steps), 0);
    auto put = [this](int step, std::uint8_t line) {
        frame_[static_cast<std::size_t>(step - 1)] |= line;
    };
    for (int c = 0; c < layout_.blockCards; ++c) {
        if (entry(blockIn2_, 2 * c + 2)) put(8 * c + 1, kBlockLine);
        if (entry(blockIn2_, 2 * c + 1)) put(8 * c + 2, kBlockLine);
        if (entry(blockOcc_, 2 * c + 2)) put(8 * c + 3, kBlockLine);
        if (entry(blockOcc_, 2 * c + 1)) put(8 * c + 4, kBlockLine);
        for (int j = 1; j <= 4; ++j)
            if (entry(blockButton_, 4 * c + j)) put(8 * c + 4 + j, kBlockLine);
    }
    for (int c = 0; c < layout_.hblockCards; ++c) {
        for (int j = 1; j <= 4; ++j) {
            if (entry(hblockOcc_, 4 * c + j)) put(8 * c + j, kHBlockLine);
            if (entry(hblockButton_, 4 * c + j)) put(8 * c + 4 + j, kHBlockLine);
        }
    }
    for (int m = 1; m <= melderSteps; ++m)
        if (entry(melder_, m)) put(m, kMelderLine);
    for (int k = 1; k <= tasterSteps; ++k)
        if (entry(taster1_, k)) put(k, kTaster1Line);
    if (!schicht_.leer())
        schicht_.eingaenge(frame_, block_.out, layout_, stampNs());
    step_ = 0;
    loadSeen_ = true;
}

std::uint8_t VirtualCard::inputByte() const
{
    return step_ < frame_.size() ? frame_[step_] : 0;
}

void VirtualCard::noteCoils()
{
    if (!(chips_[0].level(0) & kCoilEnable) && lastCoils_.empty())
        return;
    std::vector<Coil> now = poweredCoilsLocked();
    if (now == lastCoils_)
        return;
    if (!now.empty() && coilLog_.size() < kCoilLogLimit)
        coilLog_.push_back(now);
    auto recordCoil = [this](const Coil& c, bool on) {
        if (c.kind == Coil::Kind::Turnout)
            record(Change::Kind::TurnoutCoil, c.number, on ? 1 : 0, static_cast<std::uint8_t>(c.lage));
        else
            record(Change::Kind::SignalCoil, c.number, on ? 1 : 0);
    };
    for (const Coil& c : lastCoils_)
        if (std::find(now.begin(), now.end(), c) == now.end())
            recordCoil(c, false);
    std::vector<Clock::time_point> since;
    since.reserve(now.size());
    for (const Coil& c : now) {
        const auto was = std::find(lastCoils_.begin(), lastCoils_.end(), c);
        if (was == lastCoils_.end()) {
            recordCoil(c, true);
            since.push_back(stamp());
        } else {
            since.push_back(coilSince_[static_cast<std::size_t>(was - lastCoils_.begin())]);
        }
    }
    lastCoils_ = std::move(now);
    coilSince_ = std::move(since);
}

std::vector<VirtualCard::Coil> VirtualCard::poweredCoilsLocked() const
{
    std::vector<Coil> coils;
    if (!(chips_[0].level(0) & kCoilEnable))
        return coils;
    const std::vector<std::uint8_t> turnouts = coilLines(Chain::Turnout), signals = coilLines(Chain::Signal);
    for (int i = 1; i <= static_cast<int>(turnouts.size()); ++i)
        if (turnouts[static_cast<std::size_t>(i - 1)])
            coils.push_back({Coil::Kind::Turnout, (i + 1) / 2, i % 2 == 1 ? 1 : 2});
    for (int i = 1; i <= static_cast<int>(signals.size()); ++i)
        if (signals[static_cast<std::size_t>(i - 1)])
            coils.push_back({Coil::Kind::Signal, i, 0});
    return coils;
}

// --- views -------------------------------------------------------------------

VirtualCard::ShiftChain& VirtualCard::chain(Chain c)
{
    switch (c) {
    case Chain::Block: return block_;
    case Chain::Turnout: return turnout_;
    case Chain::Signal: return signal_;
    case Chain::Led1: return led1_;
    case Chain::Led2: return led2_;
    case Chain::Led3: break;
    }
    return led3_;
}

const VirtualCard::ShiftChain& VirtualCard::chain(Chain c) const
{
    return const_cast<VirtualCard*>(this)->chain(c);
}

int VirtualCard::chainLength(Chain c) const
{
    std::lock_guard guard(mutex_);
    return static_cast<int>(chain(c).reg.size());
}

VirtualCard::BlockState VirtualCard::block(int b) const
{
    std::lock_guard guard(mutex_);
    BlockState s;
    if (b < 1 || 8 * b > static_cast<int>(block_.out.size()))
        return s;
    for (int j = 0; j < 8; ++j)
        if (block_.out[static_cast<std::size_t>(8 * (b - 1) + j)])
            s.byte = static_cast<std::uint8_t>(s.byte | (1u << j));
    s.speed = s.byte >> 4;
    s.powered = (s.byte & 0x08) != 0;
    s.forward = (s.byte & 0x04) != 0;
    s.auxEven = (s.byte & 0x02) != 0;
    s.auxOdd = (s.byte & 0x01) != 0;
    return s;
}

bool VirtualCard::hblockOn(int h) const
{
    if (h < 1)
        return false;
    const BlockState s = block((h + 1) / 2);
    return h % 2 == 1 ? s.auxOdd : s.auxEven;
}

bool VirtualCard::ledLit(int chainNo, int n) const
{
    if (chainNo < 1 || chainNo > 3)
        return false;
    std::lock_guard guard(mutex_);
    const ShiftChain& c = chain(static_cast<Chain>(static_cast<int>(Chain::Led1) + chainNo - 1));
    return n >= 1 && n <= static_cast<int>(c.out.size()) && c.out[static_cast<std::size_t>(n - 1)] != 0;
}

std::vector<int> VirtualCard::litLeds(int chainNo) const
{
    if (chainNo < 1 || chainNo > 3)
        return {};
    return outputStages(static_cast<Chain>(static_cast<int>(Chain::Led1) + chainNo - 1));
}

std::vector<VirtualCard::Coil> VirtualCard::poweredCoils() const
{
    std::lock_guard guard(mutex_);
    return poweredCoilsLocked();
}

bool VirtualCard::coilEnable() const
{
    std::lock_guard guard(mutex_);
    return (chips_[0].level(0) & kCoilEnable) != 0;
}

std::vector<std::vector<VirtualCard::Coil>> VirtualCard::coilLog() const
{
    std::lock_guard guard(mutex_);
    return coilLog_;
}

void VirtualCard::clearCoilLog()
{
    std::lock_guard guard(mutex_);
    coilLog_.clear();
}

std::vector<int> VirtualCard::registerStages(Chain c) const
{
    std::lock_guard guard(mutex_);
    std::vector<int> ones;
    const ShiftChain& sc = chain(c);
    for (int i = 1; i <= static_cast<int>(sc.reg.size()); ++i)
        if (sc.stage(i))
            ones.push_back(i);
    return ones;
}

std::vector<int> VirtualCard::outputStages(Chain c) const
{
    if (c == Chain::Turnout || c == Chain::Signal)
        return registerStages(c);
    std::lock_guard guard(mutex_);
    std::vector<int> ones;
    const ShiftChain& sc = chain(c);
    for (std::size_t i = 0; i < sc.out.size(); ++i)
        if (sc.out[i])
            ones.push_back(static_cast<int>(i) + 1);
    return ones;
}

VirtualCard::KeepAlive VirtualCard::keepAlive() const
{
    std::lock_guard guard(mutex_);
    return keepAlive_;
}

std::vector<VirtualCard::Edge> VirtualCard::keepAliveEdges() const
{
    std::lock_guard guard(mutex_);
    return {keepAliveEdges_.begin(), keepAliveEdges_.end()};
}

void VirtualCard::clearKeepAliveEdges()
{
    std::lock_guard guard(mutex_);
    keepAliveEdges_.clear();
}

bool VirtualCard::isOutput(std::uint16_t port) const
{
    if (port < kBase || port >= kChipsEnd || (port - kBase) % 4 == 3)
        return false;
    std::lock_guard guard(mutex_);
    const Chip& chip = chips_[static_cast<std::size_t>((port - kBase) / 4)];
    switch ((port - kBase) % 4) {
    case 0: return chip.aOut;
    case 1: return chip.bOut;
    default: return chip.cUpperOut || chip.cLowerOut;
    }
}

std::uint8_t VirtualCard::outputLatch(std::uint16_t port) const
{
    if (port < kBase || port >= kChipsEnd || (port - kBase) % 4 == 3)
        return 0;
    std::lock_guard guard(mutex_);
    return chips_[static_cast<std::size_t>((port - kBase) / 4)].level((port - kBase) % 4);
}

// --- inputs ------------------------------------------------------------------

bool VirtualCard::setInput(std::vector<std::uint8_t>& image, Change::Kind kind, int n, bool on)
{
    std::lock_guard guard(mutex_);
    if (n < 1 || n >= static_cast<int>(image.size()))
        return false;
    stampTaken_ = false;
    assignInput(image, kind, n, on);
    return true;
}

bool VirtualCard::setBlockOccupied(int b, bool on) { return setInput(blockOcc_, Change::Kind::BlockOccupied, b, on); }
bool VirtualCard::setBlockInput2(int b, bool on) { return setInput(blockIn2_, NotLogged, b, on); }
bool VirtualCard::setBlockButton(int i, bool pressed) { return setInput(blockButton_, Change::Kind::BlockButton, i, pressed); }
bool VirtualCard::setHBlockOccupied(int h, bool on) { return setInput(hblockOcc_, Change::Kind::HBlockOccupied, h, on); }
bool VirtualCard::setHBlockButton(int h, bool pressed) { return setInput(hblockButton_, Change::Kind::HBlockButton, h, pressed); }
bool VirtualCard::setMelder(int m, bool on) { return setInput(melder_, Change::Kind::Melder, m, on); }
bool VirtualCard::setTaster1(int k, bool pressed) { return setInput(taster1_, Change::Kind::Taster1, k, pressed); }

void VirtualCard::clearInputsLocked()
{
    stampTaken_ = false;
    const std::vector<std::uint8_t> none;
    replaceInputs(blockOcc_, Change::Kind::BlockOccupied, none);
    replaceInputs(blockIn2_, NotLogged, none);
    replaceInputs(blockButton_, Change::Kind::BlockButton, none);
    replaceInputs(hblockOcc_, Change::Kind::HBlockOccupied, none);
    replaceInputs(hblockButton_, Change::Kind::HBlockButton, none);
    replaceInputs(melder_, Change::Kind::Melder, none);
    replaceInputs(taster1_, Change::Kind::Taster1, none);
}

void VirtualCard::clearInputs()
{
    std::lock_guard guard(mutex_);
    clearInputsLocked();
}

void VirtualCard::applyPattern(Pattern pattern, int step)
{
    std::lock_guard guard(mutex_);
    stampTaken_ = false;
    auto none = [](const std::vector<std::uint8_t>& v) { return std::vector<std::uint8_t>(v.size(), 0); };
    auto all = [](const std::vector<std::uint8_t>& v) {
        std::vector<std::uint8_t> next(v.size(), 1);
        next[0] = 0;
        return next;
    };
    auto walk = [step](const std::vector<std::uint8_t>& v) {
        std::vector<std::uint8_t> next(v.size(), 0);
        const int count = static_cast<int>(v.size()) - 1;
        if (count > 0)
            next[static_cast<std::size_t>(((step % count) + count) % count + 1)] = 1;
        return next;
    };
    const bool occupied = pattern == Pattern::AllOccupied;
    const bool walking = pattern == Pattern::WalkingOccupancy;
    const bool buttons = pattern == Pattern::AllButtonsPressed;
    const bool detectors = occupied || pattern == Pattern::AllDetectorsOccupied;
    auto pick = [&](const std::vector<std::uint8_t>& v, bool fill, bool walks) {
        return fill ? all(v) : walks ? walk(v) : none(v);
    };
    replaceInputs(blockOcc_, Change::Kind::BlockOccupied, pick(blockOcc_, occupied, walking));
    replaceInputs(blockIn2_, NotLogged, none(blockIn2_));
    replaceInputs(hblockOcc_, Change::Kind::HBlockOccupied, pick(hblockOcc_, occupied, walking));
    replaceInputs(melder_, Change::Kind::Melder, pick(melder_, detectors, walking));
    replaceInputs(blockButton_, Change::Kind::BlockButton, pick(blockButton_, buttons, false));
    replaceInputs(hblockButton_, Change::Kind::HBlockButton, pick(hblockButton_, buttons, false));
    replaceInputs(taster1_, Change::Kind::Taster1, pick(taster1_, buttons, false));
}

// --- traffic -----------------------------------------------------------------

long VirtualCard::writes() const
{
    std::lock_guard guard(mutex_);
    return writes_;
}

long VirtualCard::reads() const
{
    std::lock_guard guard(mutex_);
    return reads_;
}

long VirtualCard::writesTo(std::uint16_t port) const
{
    if (port < kBase || port >= kBase + writesPerPort_.size())
        return 0;
    std::lock_guard guard(mutex_);
    return writesPerPort_[port - kBase];
}

long VirtualCard::enableCalls() const
{
    std::lock_guard guard(mutex_);
    return enables_;
}

void VirtualCard::setTracing(bool on)
{
    std::lock_guard guard(mutex_);
    tracing_ = on;
}

std::vector<VirtualCard::Access> VirtualCard::trace() const
{
    std::lock_guard guard(mutex_);
    return trace_;
}

void VirtualCard::resetCounters()
{
    std::lock_guard guard(mutex_);
    writes_ = reads_ = 0;
    writesPerPort_.fill(0);
    trace_.clear();
}
