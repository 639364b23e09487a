#include "protokollansicht.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

ProtokollAnsicht::ProtokollAnsicht(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);   // the lines are short
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    bereichSetzen(true);
}

int ProtokollAnsicht::zeilenHoehe() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int ProtokollAnsicht::sichtbar() const
{
    return std::max(1, viewport()->height() / zeilenHoehe());
}

QString ProtokollAnsicht::zeile(int i) const
{
    if (i < 0 || i >= zeilenAnzahl())
        return {};
    return QString::fromStdString(zeilen_[std::size_t(i)]);
}

void ProtokollAnsicht::bereichSetzen(bool ansEnde)
{
    QScrollBar* s = verticalScrollBar();
    const int alt = s->value();
    s->setPageStep(sichtbar());
    s->setRange(0, std::max(0, zeilenAnzahl() - sichtbar()));
    s->setValue(ansEnde ? s->maximum() : alt);
}

void ProtokollAnsicht::anhaengen(const std::vector<std::string>& zeilen)
{
    if (zeilen.empty())
        return;
    QScrollBar* s = verticalScrollBar();
    const bool ansEnde = s->value() >= s->maximum();
    const int vorher = s->value();
    std::size_t weg = 0;
    for (const std::string& z : zeilen) {
        zeilen_.push_back(z);
        if (zeilen_.size() > std::size_t(MaxZeilen)) {
            zeilen_.pop_front();
            ++weg;
        }
    }
    const QSignalBlocker block(s);   // one repaint below, not one per change of the bar
    bereichSetzen(ansEnde);
    if (!ansEnde)
        s->setValue(std::max(0, vorher - int(weg)));   // the same lines stay in sight
    if (ansEnde || weg > 0)
        viewport()->update();
}

void ProtokollAnsicht::setzen(const QByteArray& text)
{
    zeilen_.clear();
    qsizetype anfang = 0;
    while (anfang < text.size()) {
        qsizetype ende = text.indexOf('\n', anfang);
        if (ende < 0)
            ende = text.size();
        zeilen_.emplace_back(text.constData() + anfang, std::size_t(ende - anfang));
        if (zeilen_.size() > std::size_t(MaxZeilen))
            zeilen_.pop_front();
        anfang = ende + 1;
    }
    bereichSetzen(true);
    viewport()->update();
}

QSize ProtokollAnsicht::sizeHint() const
{
    return QSize(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40, zeilenHoehe() * 10);
}

void ProtokollAnsicht::resizeEvent(QResizeEvent* event)
{
    QScrollBar* s = verticalScrollBar();
    const bool ansEnde = s->value() >= s->maximum();
    QAbstractScrollArea::resizeEvent(event);
    bereichSetzen(ansEnde);
}

void ProtokollAnsicht::paintEvent(QPaintEvent*)
{
    // The four fields in columns: time, what, number, state (in characters).
    static constexpr int Spalten[] = {0, 9, 21, 27};
    QPainter p(viewport());
    p.setPen(palette().color(QPalette::Text));
    const QFontMetrics fm = fontMetrics();
    const int h = zeilenHoehe();
    const int zeichen = fm.horizontalAdvance(QLatin1Char('0'));
    const int erste = verticalScrollBar()->value();
    const int letzte = std::min(zeilenAnzahl(), erste + sichtbar() + 1);
    for (int i = erste; i < letzte; ++i) {
        const std::string& z = zeilen_[std::size_t(i)];
        int x = 4;
        std::size_t von = 0;
        for (int feld = 0; von <= z.size(); ++feld) {
            std::size_t bis = feld < 3 ? z.find('\t', von) : std::string::npos;
            if (bis == std::string::npos)
                bis = z.size();
            const QString text = QString::fromUtf8(z.data() + von, qsizetype(bis - von));
            x = std::max(x, 4 + Spalten[std::min(feld, 3)] * zeichen);
            p.drawText(x, (i - erste) * h + fm.ascent(), text);
            x += fm.horizontalAdvance(text) + zeichen;
            von = bis + 1;
        }
    }
}
