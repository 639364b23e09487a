// The virtual card's picture for the window (Ansicht), its numbered changes
// for the layout log, the averaged speed step of the blocks, following a new
// layout, and listening to the traffic of a real card.
#include "virtualcard.h"

#include "virtualcard_lines.h"

#include <algorithm>

using namespace karte;

namespace {

using Ns = std::chrono::nanoseconds;

constexpr std::int64_t kWindowNs = std::chrono::duration_cast<Ns>(VirtualCard::AverageWindow).count();

std::int64_t nanos(VirtualCard::Clock::time_point t)
{
    return std::chrono::duration_cast<Ns>(t.time_since_epoch()).count();
}

std::int64_t bucketOf(std::int64_t t)
{
    return t >= 0 ? t / kWindowNs : -((-t + kWindowNs - 1) / kWindowNs);
}

// The step a block drives with: 0 without power.
std::int64_t effectiveStep(std::uint8_t byte)
{
    return (byte & kBlockPower) ? byte >> 4 : 0;
}

void copyFrom1(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& image)
{
    if (image.empty())
        to.clear();
    else
        to.assign(image.begin() + 1, image.end());
}

}  // namespace

// --- the averaged step -------------------------------------------------------

void VirtualCard::BlockTrack::start(std::int64_t t)
{
    since = t;
    integral = 0;
    bucket = bucketOf(t);
    atBucket = integralAt(bucket * kWindowNs);
    atPrevBucket = integralAt((bucket - 1) * kWindowNs);
}

std::int64_t VirtualCard::BlockTrack::integralAt(std::int64_t t) const
{
    return integral + effectiveStep(byte) * (t - since);
}

void VirtualCard::BlockTrack::advance(std::int64_t t)
{
    const std::int64_t k = bucketOf(t);
    if (k <= bucket)
        return;
    // The byte has not changed since `since`, so the integral at the
    // boundaries passed is exact.
    atPrevBucket = k == bucket + 1 ? atBucket : integralAt((k - 1) * kWindowNs);
    atBucket = integralAt(k * kWindowNs);
    bucket = k;
}

void VirtualCard::BlockTrack::latch(std::uint8_t next, std::int64_t t)
{
    t = std::max(t, since);
    advance(t);
    integral = integralAt(t);
    const bool was = (byte & kBlockPower) != 0;
    const bool is = (next & kBlockPower) != 0;
    if (was && !is)
        poweredUntil = t;
    if (is) {
        everPowered = true;
        forwardPowered = (next & kBlockForward) != 0;
    }
    byte = next;
    since = t;
}

// The window runs from the start of the bucket before t's to t: one to two
// AverageWindow long.
VirtualCard::BlockView VirtualCard::BlockTrack::view(std::int64_t t) const
{
    t = std::max(t, since);
    BlockView v;
    v.byte = byte;
    v.speed = byte >> 4;
    v.poweredNow = (byte & kBlockPower) != 0;
    const std::int64_t k = bucketOf(t);
    std::int64_t from = 0, atFrom = 0;
    if (k <= bucket) {
        from = (bucket - 1) * kWindowNs;
        atFrom = atPrevBucket;
    } else if (k == bucket + 1) {
        from = bucket * kWindowNs;
        atFrom = atBucket;
    } else {
        from = (k - 1) * kWindowNs;
        atFrom = integralAt(from);
    }
    v.averagedSpeed = static_cast<double>(integralAt(t) - atFrom) / static_cast<double>(std::max<std::int64_t>(1, t - from));
    v.powered = v.poweredNow || (everPowered && poweredUntil >= from);
    v.forward = everPowered ? forwardPowered : (byte & kBlockForward) != 0;
    return v;
}

VirtualCard::BlockView VirtualCard::blockView(int b, Clock::time_point at) const
{
    std::lock_guard guard(mutex_);
    if (b < 1 || b > static_cast<int>(blocks_.size()))
        return {};
    return blocks_[static_cast<std::size_t>(b - 1)].view(nanos(at));
}

// --- time and changes --------------------------------------------------------

void VirtualCard::setClock(std::function<Clock::time_point()> clock)
{
    std::lock_guard guard(mutex_);
    clock_ = std::move(clock);
    stampTaken_ = false;
    const std::int64_t t = nanos(stamp());
    for (BlockTrack& b : blocks_)
        b.start(t);
}

VirtualCard::Clock::time_point VirtualCard::now() const
{
    std::lock_guard guard(mutex_);
    return clock_ ? clock_() : Clock::now();
}

VirtualCard::Clock::time_point VirtualCard::stamp()
{
    if (!stampTaken_) {
        stamp_ = clock_ ? clock_() : Clock::now();
        stampTaken_ = true;
    }
    return stamp_;
}

void VirtualCard::record(Change::Kind kind, int number, std::uint8_t value, std::uint8_t sub)
{
    record(kind, number, value, sub, stamp());
}

void VirtualCard::record(Change::Kind kind, int number, std::uint8_t value, std::uint8_t sub, Clock::time_point at)
{
    const Change c{at, nextSeq_, kind, sub, static_cast<std::uint16_t>(number), value};
    if (changes_.size() < MaxChanges)
        changes_.push_back(c);
    else
        changes_[nextSeq_ % MaxChanges] = c;
    ++nextSeq_;
}

std::uint64_t VirtualCard::changes(std::uint64_t from, std::uint64_t until, std::vector<Change>& out) const
{
    std::lock_guard guard(mutex_);
    until = std::min(until, nextSeq_);
    const std::uint64_t first = std::max(from, nextSeq_ - changes_.size());
    for (std::uint64_t seq = first; seq < until; ++seq)
        out.push_back(changes_[seq % MaxChanges]);
    return first;
}

std::uint64_t VirtualCard::nextChange() const
{
    std::lock_guard guard(mutex_);
    return nextSeq_;
}

// --- what the latches and lines change ---------------------------------------

void VirtualCard::blockLatched()
{
    changed_.clear();
    latchChain(Chain::Block);
    blockChanged();
}

void VirtualCard::blockChanged()
{
    if (changed_.empty())
        return;
    const std::int64_t t = nanos(stamp());
    std::size_t last = blocks_.size();
    for (const std::uint32_t stage : changed_) {
        const std::size_t b = stage / 8;
        if (b == last || b >= blocks_.size())
            continue;
        last = b;
        std::uint8_t byte = 0;
        for (std::size_t j = 0; j < 8; ++j)
            if (block_.out[8 * b + j])
                byte = static_cast<std::uint8_t>(byte | (1u << j));
        blocks_[b].latch(byte, t);
        record(Change::Kind::Block, static_cast<int>(b) + 1, byte);
    }
}

void VirtualCard::ledLatched(int chainNo, ShiftChain& c)
{
    changed_.clear();
    latchChain(static_cast<Chain>(static_cast<int>(Chain::Led1) + chainNo - 1));
    ledChanged(chainNo, c);
}

void VirtualCard::ledChanged(int chainNo, const ShiftChain& c)
{
    for (const std::uint32_t i : changed_)
        record(Change::Kind::Led, static_cast<int>(i) + 1, c.out[i], static_cast<std::uint8_t>(chainNo));
}

void VirtualCard::keepAliveEdge(bool level)
{
    const Clock::time_point t = stamp();
    if (keepAlive_.edges == 0) {
        record(Change::Kind::Snt, 0, 1, 0, t);
    } else if (t - keepAlive_.lastEdge >= SntTimeout) {
        record(Change::Kind::Snt, 0, 0, 0, keepAlive_.lastEdge + SntTimeout);
        record(Change::Kind::Snt, 0, 1, 0, t);
    }
    keepAlive_.level = level;
    ++keepAlive_.edges;
    keepAlive_.lastEdge = t;
    if (keepAliveEdges_.size() == MaxKeepAliveEdges)
        keepAliveEdges_.pop_front();
    keepAliveEdges_.push_back({t, level});
}

// --- inputs ------------------------------------------------------------------

bool VirtualCard::recorded(Change::Kind kind) const
{
    return kind != NotLogged;
}

void VirtualCard::assignInput(std::vector<std::uint8_t>& image, Change::Kind kind, int n, bool on)
{
    if (n < 1 || n >= static_cast<int>(image.size()))
        return;
    std::uint8_t& entry = image[static_cast<std::size_t>(n)];
    const std::uint8_t value = on ? 1 : 0;
    if (entry == value)
        return;
    entry = value;
    if (recorded(kind))
        record(kind, n, value);
}

void VirtualCard::replaceInputs(std::vector<std::uint8_t>& image, Change::Kind kind, const std::vector<std::uint8_t>& next)
{
    for (std::size_t n = 1; n < image.size(); ++n)
        assignInput(image, kind, static_cast<int>(n), n < next.size() && next[n] != 0);
}

// --- listening beside a real card --------------------------------------------

void VirtualCard::observeWrite(std::uint16_t port, std::uint8_t value)
{
    std::lock_guard guard(mutex_);
    countWrite(port, value);
    if (port >= kBase && port < kChipsEnd)
        writeLocked(port, value);
}

void VirtualCard::observeRead(std::uint16_t port, std::uint8_t value)
{
    std::lock_guard guard(mutex_);
    ++reads_;
    if (tracing_)
        trace_.push_back({port, value, false});
    if (port == kInputPort && loadSeen_) {
        stampTaken_ = false;
        observedInput(value);
    }
}

// The byte the real input lines delivered at the current step becomes the
// input state of the elements on that step (the input frame read backwards).
void VirtualCard::observedInput(std::uint8_t value)
{
    const int s = static_cast<int>(std::min<std::size_t>(step_, 1u << 20)) + 1;
    const int c = (s - 1) / 8;
    const int j = (s - 1) % 8;
    if (c < layout_.blockCards) {
        const bool on = (value & kBlockLine) != 0;
        switch (j) {
        case 0: assignInput(blockIn2_, NotLogged, 2 * c + 2, on); break;
        case 1: assignInput(blockIn2_, NotLogged, 2 * c + 1, on); break;
        case 2: assignInput(blockOcc_, Change::Kind::BlockOccupied, 2 * c + 2, on); break;
        case 3: assignInput(blockOcc_, Change::Kind::BlockOccupied, 2 * c + 1, on); break;
        default: assignInput(blockButton_, Change::Kind::BlockButton, 4 * c + j - 3, on); break;
        }
    }
    if (c < layout_.hblockCards) {
        const bool on = (value & kHBlockLine) != 0;
        if (j < 4)
            assignInput(hblockOcc_, Change::Kind::HBlockOccupied, 4 * c + j + 1, on);
        else
            assignInput(hblockButton_, Change::Kind::HBlockButton, 4 * c + j - 3, on);
    }
    assignInput(melder_, Change::Kind::Melder, s, (value & kMelderLine) != 0);
    assignInput(taster1_, Change::Kind::Taster1, s, (value & kTaster1Line) != 0);
}

// --- the layout and the window's picture -------------------------------------

VirtualLayout VirtualCard::layout() const
{
    std::lock_guard guard(mutex_);
    return layout_;
}

void VirtualCard::setLayout(const VirtualLayout& layout)
{
    std::lock_guard guard(mutex_);
    stampTaken_ = false;
    layout_ = layout;
    resizeLocked(stamp());
    noteCoils();
}

VirtualCard::Ansicht VirtualCard::ansicht() const
{
    Ansicht a;
    ansicht(a);
    return a;
}

void VirtualCard::ansicht(Ansicht& into) const
{
    std::lock_guard guard(mutex_);
    ansichtLocked(into, clock_ ? clock_() : Clock::now());
}

void VirtualCard::ansichtLocked(Ansicht& into, Clock::time_point at) const
{
    into.at = at;
    into.stand = nextSeq_;
    into.layout = layout_;
    into.keepAliveEdges = keepAlive_.edges;
    into.lastKeepAliveEdge = keepAlive_.lastEdge;
    into.snt = keepAlive_.edges > 0 && at - keepAlive_.lastEdge < SntTimeout;

    const std::int64_t t = nanos(at);
    into.blocks.resize(blocks_.size());
    into.hblocks.resize(2 * blocks_.size());
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        into.blocks[b] = blocks_[b].view(t);
        into.hblocks[2 * b] = blocks_[b].byte & 0x01;
        into.hblocks[2 * b + 1] = (blocks_[b].byte >> 1) & 0x01;
    }
    into.coils.clear();
    for (std::size_t i = 0; i < lastCoils_.size() && i < coilSince_.size(); ++i)
        into.coils.push_back({lastCoils_[i], coilSince_[i]});
    into.leds[0] = led1_.out;
    into.leds[1] = led2_.out;
    into.leds[2] = led3_.out;
    copyFrom1(into.blockOccupied, blockOcc_);
    copyFrom1(into.hblockOccupied, hblockOcc_);
    copyFrom1(into.melder, melder_);
    copyFrom1(into.blockButtons, blockButton_);
    copyFrom1(into.hblockButtons, hblockButton_);
    copyFrom1(into.taster1, taster1_);
}

