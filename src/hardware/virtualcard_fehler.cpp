// The virtual card's side of the wiring faults: its latches and its coil
// chains look at their stages through the fault layer (fehlerschicht.h),
// and faults set while the layout runs show on the latched outputs at once.
#include "virtualcard.h"

namespace {

verdrahtung::Kette kette(VirtualCard::Chain c)
{
    return static_cast<verdrahtung::Kette>(static_cast<int>(c));   // the output chains in the same order
}

}  // namespace

std::vector<std::uint8_t> VirtualCard::ShiftChain::stages() const
{
    std::vector<std::uint8_t> s(reg.size());
    for (std::size_t i = 0; i < reg.size(); ++i)
        s[i] = reg[(head + i) % reg.size()];
    return s;
}

void VirtualCard::takeOutputs(ShiftChain& c, const std::vector<std::uint8_t>& next)
{
    for (std::size_t i = 0; i < c.out.size() && i < next.size(); ++i) {
        if (c.out[i] != next[i]) {
            c.out[i] = next[i];
            changed_.push_back(static_cast<std::uint32_t>(i));
        }
    }
}

void VirtualCard::latchChain(Chain ch)
{
    ShiftChain& c = chain(ch);
    if (!schicht_.betrifft(kette(ch))) {
        c.latch(changed_);
        return;
    }
    schicht_.latch(kette(ch), c.stages(), layout_, lines_);
    takeOutputs(c, lines_);
}

std::vector<std::uint8_t> VirtualCard::coilLines(Chain ch) const
{
    std::vector<std::uint8_t> stages = chain(ch).stages();
    if (!schicht_.betrifft(kette(ch)))
        return stages;
    std::vector<std::uint8_t> lines;
    schicht_.stufen(kette(ch), stages, layout_, lines);
    return lines;
}

void VirtualCard::setFehler(std::vector<verdrahtung::Fehler> fehler, std::uint64_t seed)
{
    std::lock_guard guard(mutex_);
    stampTaken_ = false;
    constexpr std::array<Chain, 4> latched{Chain::Block, Chain::Led1, Chain::Led2, Chain::Led3};
    std::array<std::vector<std::uint8_t>, 4> outputs;   // the cards' outputs as last latched
    for (std::size_t i = 0; i < latched.size(); ++i)
        outputs[i] = schicht_.ausgaenge(kette(latched[i]), chain(latched[i]).out);
    schicht_.setze(std::move(fehler), seed);
    for (std::size_t i = 0; i < latched.size(); ++i) {
        const Chain ch = latched[i];
        std::vector<std::uint8_t> next = std::move(outputs[i]);
        if (schicht_.betrifft(kette(ch))) {
            std::vector<std::uint8_t> seen;
            schicht_.gesetzt(kette(ch), std::move(next), layout_, seen);
            next = std::move(seen);
        }
        changed_.clear();
        takeOutputs(chain(ch), next);
        if (ch == Chain::Block)
            blockChanged();
        else
            ledChanged(static_cast<int>(ch) - static_cast<int>(Chain::Led1) + 1, chain(ch));
    }
    noteCoils();
}

std::vector<verdrahtung::Fehler> VirtualCard::fehler() const
{
    std::lock_guard guard(mutex_);
    return schicht_.fehler();
}
