#include "rundgang.h"

#include <algorithm>

Rundgang::Rundgang(int lagen)
    : lagen_(std::max(1, lagen))
{
}

void Rundgang::setBereich(int von, int bis)
{
    von_ = von;
    bis_ = std::max(von, bis);
}

void Rundgang::anfangen()
{
    element_ = von_;
    lage_ = 0;
}

void Rundgang::weiter()
{
    if (lage_ + 1 < lagen_) {
        ++lage_;
        return;
    }
    vor();
}

void Rundgang::vor()
{
    element_ = naechstes(element_);
    lage_ = 0;
}

void Rundgang::zurueck()
{
    element_ = vorheriges(element_);
    lage_ = 0;
}

void Rundgang::setElement(int n)
{
    if (n == element_)
        return;
    element_ = n;
    lage_ = 0;
}

int Rundgang::naechstes(int n) const
{
    return n < von_ || n >= bis_ ? von_ : n + 1;
}

int Rundgang::vorheriges(int n) const
{
    return n <= von_ || n > bis_ ? bis_ : n - 1;
}
