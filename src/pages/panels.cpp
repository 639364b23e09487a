#include "panels.h"

#include <QPalette>
#include <QPushButton>
#include <QSlider>

namespace panels {

QFont arialBlack(int pixelSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPixelSize(pixelSize);
    f.setWeight(QFont::Black);
    return f;
}

QFont arial(int pixelSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPixelSize(pixelSize);
    return f;
}

QFont timesBoldItalic(int pixelSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    f.setPixelSize(pixelSize);
    f.setBold(true);
    f.setItalic(true);
    return f;
}

void setTextColor(QLabel* label, QColor color)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

void setBackground(QWidget* widget, QColor color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, color);
    widget->setAutoFillBackground(true);
    widget->setPalette(p);
}

QLabel* numberPanel(const QString& name, const QString& caption, int pixelSize, QColor text, QColor background,
                    QWidget* parent)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setFont(arialBlack(pixelSize));
    setTextColor(l, text);
    setBackground(l, background);
    return l;
}

QSlider* tempoRegler(const QString& name, QWidget* parent)
{
    auto* s = new QSlider(Qt::Vertical, parent);
    s->setObjectName(name);
    s->setRange(0, 120);
    s->setValue(0);
    s->setTickInterval(8);
    s->setTickPosition(QSlider::TicksBothSides);
    s->setToolTip(QStringLiteral("Geschwindigkeit einstellen"));
    s->setMinimumHeight(300);
    return s;
}

QLabel* sectionCaption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setFont(timesBoldItalic(32));
    setTextColor(l, Navy);
    return l;
}

void beschriften(QPushButton* knopf, const QString& text, QColor farbe)
{
    knopf->setText(text);
    QPalette p = knopf->palette();
    p.setColor(QPalette::ButtonText, farbe);
    knopf->setPalette(p);
}

}  // namespace panels
