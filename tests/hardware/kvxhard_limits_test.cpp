// Counts and arguments far above what the images hold must not make the
// component touch memory outside its images, and it must go on working.
//
// The component lives between two poisoned guard zones (AddressSanitizer
// reports any access to them; without it a fill pattern is checked), and the
// images an operation must not touch are compared before and after it, which
// catches an overflow from one image into the next inside the component.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <tuple>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define KVX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KVX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define KVX_POISON(p, n) ((void)(p), (void)(n))
#define KVX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

class GuardedKvx {
public:
    static constexpr std::size_t kGuard = std::size_t{1} << 20;   // further than any 16-bit count reaches
    static constexpr std::byte kFill{0xA5};

    GuardedKvx()
        : size_(2 * kGuard + sizeof(TkvxHard) + alignof(TkvxHard)), buffer_(new std::byte[size_])
    {
        std::fill(buffer_.get(), buffer_.get() + size_, kFill);
        std::size_t offset = kGuard;
        offset += (alignof(TkvxHard) - reinterpret_cast<std::uintptr_t>(buffer_.get() + offset) % alignof(TkvxHard)) % alignof(TkvxHard);
        object_ = buffer_.get() + offset;
        kvx_ = new (object_) TkvxHard;
        poison(true);
    }
    ~GuardedKvx()
    {
        poison(false);
        kvx_->~TkvxHard();
    }
    GuardedKvx(const GuardedKvx&) = delete;
    GuardedKvx& operator=(const GuardedKvx&) = delete;

    TkvxHard& operator*() const { return *kvx_; }
    TkvxHard* operator->() const { return kvx_; }

    bool guardsIntact()
    {
        poison(false);
        bool intact = std::all_of(buffer_.get(), object_, [](std::byte b) { return b == kFill; })
            && std::all_of(object_ + sizeof(TkvxHard), buffer_.get() + size_, [](std::byte b) { return b == kFill; });
        poison(true);
        return intact;
    }

private:
    void poison(bool on)
    {
        std::byte* after = object_ + sizeof(TkvxHard);
        const std::size_t before = static_cast<std::size_t>(object_ - buffer_.get());
        const std::size_t rest = static_cast<std::size_t>(buffer_.get() + size_ - after);
        if (on) {
            KVX_POISON(buffer_.get(), before);
            KVX_POISON(after, rest);
        } else {
            KVX_UNPOISON(buffer_.get(), before);
            KVX_UNPOISON(after, rest);
        }
    }

    std::size_t size_;
    std::unique_ptr<std::byte[]> buffer_;
    std::byte* object_ = nullptr;
    TkvxHard* kvx_ = nullptr;
};

struct HugeCase {
    const char* what;
    std::function<void(TkvxHard&)> set;
};

void setAll(TkvxHard& k, std::uint16_t n)
{
    k.BlockAnzahl = k.HBlockAnzahl = k.MelderAnzahl = k.WeichenAnzahl = k.SignalAnzahl = n;
    k.EinDatenBytes = k.Taster1Anzahl = k.Taster2Anzahl = n;
}

void PrintTo(const HugeCase& c, std::ostream* os)
{
    *os << c.what;
}

class KvxHugeCounts : public ::testing::TestWithParam<HugeCase> {};

TEST_P(KvxHugeCounts, StayInsideTheImagesAndKeepWorking)
{
    const HugeCase& c = GetParam();
    VirtualCard card;
    PortBackend* previous = setPortBackend(&card);
    {
        GuardedKvx kvx;
        kvx->PortInit();
        ASSERT_FALSE(kvx->Simulation);
        kvx->BlockAnzahl = 24;
        kvx->HBlockAnzahl = 48;
        kvx->MelderAnzahl = 88;
        kvx->WeichenAnzahl = 88;
        kvx->SignalAnzahl = 32;
        kvx->Taster1Anzahl = 64;
        kvx->EinDatenBytes = 96;
        c.set(*kvx);
        const TkvxHard& k = *kvx;

        card.applyPattern(VirtualCard::Pattern::AllOccupied);
        for (int i = 1; i <= 48; ++i)
            card.setBlockButton(i, true), card.setHBlockButton(i, true);
        for (int i = 1; i <= 64; ++i)
            card.setTaster1(i, true);
        for (std::size_t i = 0; i < k.Led1Zustand.size(); ++i)
            kvx->Led1Zustand[i] = kvx->Led2Zustand[i] = kvx->Led3Zustand[i] = static_cast<std::uint8_t>(i * 7 + 3);
        for (std::size_t i = 0; i < k.TasterZustand.size(); ++i)
            kvx->TasterZustand[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 1 : 0);
        const auto leds = std::make_tuple(k.Led1Zustand, k.Led2Zustand, k.Led3Zustand);
        auto ledsKept = [&] { return std::make_tuple(k.Led1Zustand, k.Led2Zustand, k.Led3Zustand) == leds; };

        int a = 0, b = 0, m = 0, e = 0;
        const auto taster = k.TasterZustand;
        kvx->MelderLesen(a, b, m, e);
        EXPECT_EQ(k.TasterZustand, taster) << c.what << ": MelderLesen wrote into the button image";
        EXPECT_TRUE(ledsKept()) << c.what << ": MelderLesen";

        const auto occupancy = std::make_tuple(k.BlockBelegt, k.HBlockBelegt, k.MelderBelegt, k.BlockEingang2);
        kvx->TasterLesen(a, b, m);
        EXPECT_TRUE(std::equal(k.TasterZustand.begin() + 1025, k.TasterZustand.end(), taster.begin() + 1025))
            << c.what << ": TasterLesen wrote beyond the chain-1 buttons";
        EXPECT_EQ(std::make_tuple(k.BlockBelegt, k.HBlockBelegt, k.MelderBelegt, k.BlockEingang2), occupancy)
            << c.what << ": TasterLesen wrote into the occupancy images";
        EXPECT_TRUE(ledsKept()) << c.what << ": TasterLesen";

        kvx->BlockSetzen(255, 1, 1, 7);
        kvx->HBlockSetzen(255, 1);
        kvx->AlleBloeckeAus();
        kvx->WeicheStellen(65535, 2);
        kvx->WeicheAus();
        kvx->SignalStellen(65535);
        kvx->SignalAus();
        std::vector<std::uint8_t> bild(kvx::MaxLeds + 1, 1);   // on the heap: a read past it is caught
        kvx->LedKetteSchreiben(1, bild.data(), 60000);
        kvx->LedKetteZeigen(2, 60000);
        kvx->LedKetteAus(3, 60000);
        kvx->KettenReset();
        kvx->LedKettenLoeschen();
        EXPECT_TRUE(ledsKept()) << c.what << ": output operations";
        kvx->DatenLoeschen();
        EXPECT_TRUE(kvx.guardsIntact()) << c.what;

        // Still working, with the counts as they are.
        card.clearInputs();
        kvx->MelderLesen(a, b, m, e);
        card.setMelder(17, true);
        m = 0;
        kvx->MelderLesen(a, b, m, e);
        EXPECT_EQ(m, 17) << c.what;
        EXPECT_EQ(k.MelderBelegt[17], 1) << c.what;
        kvx->BlockSetzen(3, 1, 1, 7);
        EXPECT_EQ(card.block(3), (VirtualCard::BlockState{true, true, 7, false, false, 0x7C})) << c.what;
        kvx->WeichenAnzahl = 88;
        kvx->WeicheStellen(5, 2);
        EXPECT_EQ(card.poweredCoils(), std::vector<VirtualCard::Coil>{turnoutCoil(5, 2)}) << c.what;
        kvx->WeicheAus();
        EXPECT_TRUE(card.poweredCoils().empty()) << c.what;
    }
    setPortBackend(previous);
}

INSTANTIATE_TEST_SUITE_P(Counts, KvxHugeCounts, ::testing::Values(
    HugeCase{"BlockAnzahl 60000", [](TkvxHard& k) { k.BlockAnzahl = 60000; }},
    HugeCase{"EinDatenBytes 60000", [](TkvxHard& k) { k.EinDatenBytes = 60000; }},
    HugeCase{"HBlockAnzahl 60000", [](TkvxHard& k) { k.HBlockAnzahl = 60000; }},
    HugeCase{"MelderAnzahl 60000", [](TkvxHard& k) { k.MelderAnzahl = 60000; }},
    HugeCase{"Taster1Anzahl 60000", [](TkvxHard& k) { k.Taster1Anzahl = 60000; }},
    HugeCase{"WeichenAnzahl and SignalAnzahl 60000", [](TkvxHard& k) { k.WeichenAnzahl = k.SignalAnzahl = 60000; }},
    HugeCase{"every count 65535", [](TkvxHard& k) { setAll(k, 65535); }}));

}  // namespace
