// The automatic walk over the elements of a test page: von..bis one after
// the other, each in one or more positions (a turnout straight, then
// diverging), round and round until it is paused. What the walk computes,
// without widgets: the group "Automatik" drives it with its timer and shows
// each step on the page.
#pragma once

class Rundgang {
public:
    // lagen: positions per element, 1 or more.
    explicit Rundgang(int lagen = 1);

    // The elements the walk runs over; bis below von is taken as von.
    void setBereich(int von, int bis);
    int von() const { return von_; }
    int bis() const { return bis_; }
    int lagen() const { return lagen_; }

    // The element in work and its position (0 .. lagen - 1).
    int element() const { return element_; }
    int lage() const { return lage_; }

    void anfangen();   // element von, first position
    void weiter();     // next position of the element, else the next element
    void vor();        // next element, first position
    void zurueck();    // previous element, first position
    // The user chose element n on the page: the walk goes on from there,
    // even outside von..bis (the next element is then von).
    void setElement(int n);

private:
    int naechstes(int n) const;   // after bis (or outside the range) von again
    int vorheriges(int n) const;  // before von (or outside the range) bis

    int lagen_;
    int von_ = 1;
    int bis_ = 1;
    int element_ = 1;
    int lage_ = 0;
};
