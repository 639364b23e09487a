#include "automatikgruppe.h"

#include "panels.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QSpinBox* nummernFeld(const QString& name, const QString& hint, QWidget* parent)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setKeyboardTracking(false);   // a number counts once typed in full
    s->setRange(1, 1);
    s->setToolTip(hint);
    s->setMinimumWidth(70);
    return s;
}

}  // namespace

AutomatikGruppe::AutomatikGruppe(const QString& name, Pruefbericht::Art art, double takt, QLabel* grosseZahl,
                                 QWidget* fokus, QWidget* parent)
    : QGroupBox(QStringLiteral("Automatik"), parent)
    , art_(art)
    , rundgang_(art == Pruefbericht::Art::Weiche ? 2 : 1)
    , grosseZahl_(grosseZahl)
    , fokus_(fokus)
{
    setObjectName(name + QStringLiteral("Automatik"));
    if (grosseZahl_)
        zahlFarbe_ = grosseZahl_->palette().color(QPalette::WindowText);

    btnAuto = new QPushButton(this);
    btnAuto->setObjectName(name + QStringLiteral("Auto"));
    btnAuto->setCheckable(true);
    btnAuto->setToolTip(QStringLiteral("Rundgang starten oder anhalten (Leertaste, Alt+S)"));
    btnAuto->setMinimumWidth(80);

    sTakt = new QDoubleSpinBox(this);
    sTakt->setObjectName(name + QStringLiteral("Takt"));
    sTakt->setRange(TaktMin, TaktMax);
    sTakt->setDecimals(1);
    sTakt->setSingleStep(0.1);
    sTakt->setSuffix(QStringLiteral(" s"));
    sTakt->setValue(takt);
    sTakt->setKeyboardTracking(false);
    sTakt->setToolTip(QStringLiteral("Sekunden je Element"));
    sVon = nummernFeld(name + QStringLiteral("Von"), QStringLiteral("Erstes Element des Rundgangs"), this);
    sBis = nummernFeld(name + QStringLiteral("Bis"), QStringLiteral("Letztes Element des Rundgangs"), this);

    btnBericht = new QPushButton(QStringLiteral("Bericht ..."), this);
    btnBericht->setObjectName(name + QStringLiteral("Bericht"));
    btnBericht->setToolTip(QStringLiteral("Prüfbericht anzeigen: fehlerhafte Elemente, speichern, leeren"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(btnAuto, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Takt"), this), 0, 2);
    grid->addWidget(sTakt, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("von"), this), 1, 0);
    grid->addWidget(sVon, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("bis"), this), 1, 2);
    grid->addWidget(sBis, 1, 3);
    grid->addWidget(btnBericht, 2, 0, 1, 4);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(int(std::lround(takt * 1000)));
    connect(timer_, &QTimer::timeout, this, &AutomatikGruppe::taktEnde);
    connect(sTakt, &QDoubleSpinBox::valueChanged, this,
            [this](double s) { timer_->setInterval(int(std::lround(s * 1000))); });
    connect(sVon, &QSpinBox::valueChanged, this, [this](int von) {
        if (sBis->value() < von)
            sBis->setValue(von);
        bereichSetzen();
    });
    connect(sBis, &QSpinBox::valueChanged, this, [this](int bis) {
        if (sVon->value() > bis)
            sVon->setValue(bis);
        bereichSetzen();
    });
    // Enter in a field hands the keys back to the walk.
    for (QAbstractSpinBox* feld : {static_cast<QAbstractSpinBox*>(sTakt), static_cast<QAbstractSpinBox*>(sVon),
                                   static_cast<QAbstractSpinBox*>(sBis)})
        connect(feld, &QAbstractSpinBox::editingFinished, this, [this, feld] {
            if (fokus_ && feld->hasFocus() && aktiv_)
                fokus_->setFocus();
        });
    connect(btnAuto, &QPushButton::clicked, this, &AutomatikGruppe::btnAutoClick);
    connect(btnBericht, &QPushButton::clicked, this, &AutomatikGruppe::berichtAnzeigen);
    knopfZeigen();
    setAnzahl(0);
}

void AutomatikGruppe::setAnzahl(int anzahl)
{
    const bool amEnde = sBis->value() == sBis->maximum();
    anzahl_ = std::max(0, anzahl);
    const int max = std::max(1, anzahl_);
    {
        const QSignalBlocker v(sVon), b(sBis);
        sVon->setRange(1, max);
        sBis->setRange(1, max);
        if (amEnde)
            sBis->setValue(max);
    }
    bereichSetzen();
    if (anzahl_ == 0)
        beenden();
    btnAuto->setEnabled(bereit_ && anzahl_ > 0);
}

void AutomatikGruppe::setBereit(bool bereit)
{
    bereit_ = bereit;
    btnAuto->setEnabled(bereit_ && anzahl_ > 0);
}

bool AutomatikGruppe::laeuft() const
{
    return btnAuto->isChecked();
}

void AutomatikGruppe::btnAutoClick(bool unten)
{
    if (unten)
        starten();
    else
        pausieren();
}

void AutomatikGruppe::umschalten()
{
    if (laeuft())
        pausieren();
    else if (btnAuto->isEnabled())
        starten();
}

void AutomatikGruppe::starten()
{
    btnAuto->setChecked(true);
    knopfZeigen();
    if (fokus_)
        fokus_->setFocus();
    if (!aktiv_) {
        aktiv_ = true;
        gezeigt_ = false;
        rundgang_.anfangen();
    }
    if (gezeigt_)
        timer_->start();   // a full beat for the element in work
    else
        anfordern(Vorhaben::Zeigen);
}

void AutomatikGruppe::pausieren()
{
    // Right and Left still come; a beat's step does not.
    if (wartet_ == Vorhaben::Schritt || wartet_ == Vorhaben::Zeigen)
        wartet_ = Vorhaben::Nichts;
    btnAuto->setChecked(false);
    knopfZeigen();
}

void AutomatikGruppe::schritt()
{
    if (aktiv_)
        anfordern(Vorhaben::Schritt);
}

void AutomatikGruppe::taktEnde()
{
    if (!aktiv_)
        return;
    if (!spulen() && bericht)
        bericht->geprueft(art_, nummer());
    if (laeuft())
        schritt();
}

void AutomatikGruppe::anfordern(Vorhaben was)
{
    wartet_ = was;
    ausfuehren();
}

void AutomatikGruppe::ausfuehren()
{
    if (!aktiv_ || wartet_ == Vorhaben::Nichts)
        return;
    if (gesperrt && gesperrt()) {
        aufgeschoben_ = true;
        return;
    }
    if (belegt && belegt())
        return;   // impulsEnde brings it back
    switch (std::exchange(wartet_, Vorhaben::Nichts)) {
    case Vorhaben::Schritt:
        if (gezeigt_)
            rundgang_.weiter();
        break;
    case Vorhaben::Vor: rundgang_.vor(); break;
    case Vorhaben::Zurueck: rundgang_.zurueck(); break;
    case Vorhaben::Zeigen:
    case Vorhaben::Nichts: break;
    }
    zeigenJetzt();
}

void AutomatikGruppe::nachholen()
{
    aufgeschoben_ = false;
    ausfuehren();
}

void AutomatikGruppe::impulsEnde(bool voll)
{
    if (std::exchange(eigenerImpuls_, false)) {
        if (voll && bericht)
            bericht->geprueft(art_, nummer());
        gezeigt_ = gezeigt_ && voll;
    }
    // Not from inside the pulse's end step: the next pulse starts after it.
    if (aktiv_ && wartet_ != Vorhaben::Nichts)
        QMetaObject::invokeMethod(this, [this] { ausfuehren(); }, Qt::QueuedConnection);
}

void AutomatikGruppe::vor()
{
    if (!aktiv_)
        return;
    pausieren();
    anfordern(Vorhaben::Vor);
}

void AutomatikGruppe::zurueck()
{
    if (!aktiv_)
        return;
    pausieren();
    anfordern(Vorhaben::Zurueck);
}

void AutomatikGruppe::markieren()
{
    if (!aktiv_ || !bericht)
        return;
    const int n = nummer();
    const int lage = berichtLage();
    const bool an = bericht->umschalten(art_, n, lage, QDateTime::currentDateTime());
    farbeZeigen();
    const QString was = Pruefbericht::artName(art_) + QLatin1Char(' ') + QString::number(n);
    if (an)
        Q_EMIT meldung(QStringLiteral(" %1 %2").arg(was, Pruefbericht::befund(lage)));
    else
        Q_EMIT meldung(QStringLiteral(" %1 nicht mehr als fehlerhaft markiert").arg(was));
}

void AutomatikGruppe::anhalten()
{
    if (!aktiv_)
        return;
    pausieren();
    timer_->stop();
    gezeigt_ = false;
    eigenerImpuls_ = false;
    if (aufraeumen)
        aufraeumen();   // a pulse ends here, not later on its timer
    if (!spulen())
        wartet_ = Vorhaben::Zeigen;
}

void AutomatikGruppe::beenden()
{
    if (!aktiv_)
        return;
    pausieren();
    timer_->stop();
    aktiv_ = false;
    wartet_ = Vorhaben::Nichts;
    aufgeschoben_ = false;
    gezeigt_ = false;
    eigenerImpuls_ = false;
    farbeZeigen();
    if (aufraeumen)
        aufraeumen();
}

void AutomatikGruppe::auswahlFolgen(int n)
{
    if (!aktiv_ || n == rundgang_.element())
        return;
    rundgang_.setElement(n);
    eigenerImpuls_ = false;
    // An LED or a block the page shows itself; a coil only chosen comes next.
    gezeigt_ = !spulen();
    if (gezeigt_)
        timer_->start();
    farbeZeigen();
}

bool AutomatikGruppe::istTaste(const QKeyEvent& taste)
{
    if (taste.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (taste.key()) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_Left:
    case Qt::Key_Plus:
    case Qt::Key_Minus:
    case Qt::Key_F:
        return true;
    default:
        return false;
    }
}

bool AutomatikGruppe::wirdBearbeitet(const QWidget* w)
{
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w))
        return true;
    if (const auto* c = qobject_cast<const QComboBox*>(w))
        return c->isEditable();
    if (const auto* t = qobject_cast<const QTextEdit*>(w))
        return !t->isReadOnly();
    if (const auto* t = qobject_cast<const QPlainTextEdit*>(w))
        return !t->isReadOnly();
    return false;
}

void AutomatikGruppe::taste(const QKeyEvent& taste)
{
    if (taste.isAutoRepeat())
        return;
    switch (taste.key()) {
    case Qt::Key_Space:
        umschalten();
        break;
    case Qt::Key_Right:
    case Qt::Key_Plus:
        vor();
        break;
    case Qt::Key_Left:
    case Qt::Key_Minus:
        zurueck();
        break;
    case Qt::Key_F:
        markieren();
        break;
    default:
        break;
    }
}

void AutomatikGruppe::fernTaste(fernsteuerung::Aktion aktion)
{
    using fernsteuerung::Aktion;
    switch (aktion) {
    case Aktion::Hoch: vor(); break;
    case Aktion::Runter: zurueck(); break;
    case Aktion::Erste: umschalten(); break;
    case Aktion::Zweite: markieren(); break;
    case Aktion::Keine: break;
    }
}

void AutomatikGruppe::zeigenJetzt()
{
    eigenerImpuls_ = false;
    if (zeigen)
        zeigen(rundgang_.element(), rundgang_.lage());
    eigenerImpuls_ = spulen() && belegt && belegt();
    gezeigt_ = true;
    timer_->start();
    farbeZeigen();
}

bool AutomatikGruppe::spulen() const
{
    return art_ == Pruefbericht::Art::Weiche || art_ == Pruefbericht::Art::Signal;
}

void AutomatikGruppe::knopfZeigen()
{
    // Alt+S in both states.
    btnAuto->setText(laeuft() ? QStringLiteral("Pau&se") : QStringLiteral("&Start"));
}

void AutomatikGruppe::farbeZeigen()
{
    if (!grosseZahl_)
        return;
    const bool rot = aktiv_ && bericht && bericht->fehlerhaft(art_, nummer(), berichtLage());
    panels::setTextColor(grosseZahl_, rot ? panels::Red : zahlFarbe_);
}

void AutomatikGruppe::bereichSetzen()
{
    rundgang_.setBereich(sVon->value(), sBis->value());
}

int AutomatikGruppe::nummer() const
{
    const int n = rundgang_.element();
    return berichtNummer ? berichtNummer(n) : n;
}

int AutomatikGruppe::berichtLage() const
{
    if (art_ != Pruefbericht::Art::Weiche)
        return Pruefbericht::Ohne;
    return rundgang_.lage() == 0 ? Pruefbericht::Gerade : Pruefbericht::Abzweigend;
}
