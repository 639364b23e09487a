// The virtual card's view for the window and its list of changes for the
// layout log.
#include "virtualcard.h"

VirtualLayout VirtualCard::layout() const
{
    std::lock_guard guard(mutex_);
    return layout_;
}

void VirtualCard::setLayout(const VirtualLayout&) {}
void VirtualCard::setClock(std::function<Clock::time_point()>) {}
VirtualCard::Clock::time_point VirtualCard::now() const { return Clock::now(); }
void VirtualCard::observeWrite(std::uint16_t, std::uint8_t) {}
void VirtualCard::observeRead(std::uint16_t, std::uint8_t) {}
VirtualCard::Ansicht VirtualCard::ansicht() const
{
    Ansicht a;
    ansicht(a);
    return a;
}
void VirtualCard::ansicht(Ansicht&) const {}
VirtualCard::BlockView VirtualCard::blockView(int, Clock::time_point) const { return {}; }
std::uint64_t VirtualCard::changes(std::uint64_t from, std::uint64_t, std::vector<Change>&) const { return from; }
std::uint64_t VirtualCard::nextChange() const { return 0; }
