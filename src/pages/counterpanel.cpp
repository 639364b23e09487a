#include "counterpanel.h"

#include "monitorgrid.h"

#include <QFont>
#include <QPalette>

CounterPanel::CounterPanel(QWidget* parent)
    : QLabel(parent)
{
    QFont f = font();
    f.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Arial")});
    f.setPixelSize(FontPixelSize);
    f.setWeight(QFont::Black);
    setFont(f);

    setFixedWidth(PanelWidth);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setTextFormat(Qt::PlainText);
    setText(QStringLiteral("0"));
    setTextColor(QColor(gridgeo::Gray));
}

void CounterPanel::showElement(int number, bool active)
{
    setText(QString::number(number));  // QLabel ignores an unchanged text
    setTextColor(QColor(active ? gridgeo::Red : gridgeo::Gray));
}

QColor CounterPanel::textColor() const
{
    return palette().color(QPalette::WindowText);
}

void CounterPanel::setTextColor(const QColor& colour)
{
    if (textColor() == colour)
        return;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    setPalette(pal);
}
