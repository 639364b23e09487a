// ProtokollAnsicht: the layout log as it grows, painted line by line.
//
// A text document would lay out every line it takes in; a busy layout logs
// thousands of lines a second. This view keeps the newest lines as plain
// text and paints only the ones in sight: while it shows the end, each new
// batch repaints it once, and a batch while the user reads further up
// repaints nothing but the scroll bar.
#pragma once

#include <QAbstractScrollArea>
#include <QString>

#include <deque>
#include <string>
#include <vector>

class ProtokollAnsicht : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ProtokollAnsicht(QWidget* parent = nullptr);

    static constexpr int MaxZeilen = 20000;   // the newest kept; saving writes the whole log

    void anhaengen(const std::vector<std::string>& zeilen);
    void setzen(const QByteArray& text);   // replaces all: lines ended by line breaks
    int zeilenAnzahl() const { return int(zeilen_.size()); }
    QString zeile(int i) const;            // from 0, oldest kept first; empty outside
    QString letzteZeile() const { return zeilen_.empty() ? QString() : zeile(zeilenAnzahl() - 1); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void bereichSetzen(bool ansEnde);
    int zeilenHoehe() const;
    int sichtbar() const;

    std::deque<std::string> zeilen_;
};
