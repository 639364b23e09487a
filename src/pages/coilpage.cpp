#include "coilpage.h"

#include "automatikgruppe.h"
#include "panels.h"
#include "spulenimpuls.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton* pfeil(Qt::ArrowType richtung, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setArrowType(richtung);
    b->setAutoRepeat(true);
    b->setAutoRepeatDelay(400);
    b->setAutoRepeatInterval(50);
    b->setFixedSize(28, 28);
    return b;
}

// The switching time in large digits, typed in place.
QLineEdit* zeitFeld(const QString& name, QWidget* parent)
{
    auto* z = new QLineEdit(QString::number(CoilSelection::ZeitMin), parent);
    z->setObjectName(name);
    z->setAlignment(Qt::AlignCenter);
    z->setFont(panels::arialBlack(37));
    z->setMaxLength(6);
    z->setToolTip(QStringLiteral("Schaltzeit in ms eingeben (Enter) oder mit den Pfeilen ändern"));
    QPalette p = z->palette();
    p.setColor(QPalette::Text, panels::Gray);
    p.setColor(QPalette::Base, panels::Silver);
    z->setPalette(p);
    z->setFixedSize(140, 56);
    return z;
}

QTextEdit* anleitung(const QString& name, const QStringList& zeilen, QWidget* parent)
{
    auto* m = new QTextEdit(parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setFocusPolicy(Qt::NoFocus);
    m->setFrameStyle(QFrame::NoFrame);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont f = panels::arial(15);
    f.setItalic(true);
    m->setFont(f);
    QPalette p = m->palette();
    p.setColor(QPalette::Base, Qt::transparent);   // on the page colour
    p.setColor(QPalette::Text, panels::Teal);
    m->setPalette(p);
    m->setPlainText(zeilen.join(QLatin1Char('\n')));
    QTextCursor c(m->document());
    c.select(QTextCursor::Document);
    QTextBlockFormat mitte;
    mitte.setAlignment(Qt::AlignHCenter);
    c.mergeBlockFormat(mitte);
    m->setFixedSize(300, 130);
    return m;
}

}  // namespace

int schaltzeitAusText(const QString& text)
{
    bool ok = false;
    const int ms = text.trimmed().toInt(&ok);
    return ok ? std::clamp(ms, CoilSelection::ZeitMin, CoilSelection::ZeitMax) : CoilSelection::ZeitMin;
}

// ------------------------------------------------------------------ AufAb

AufAb::AufAb(const QString& name, int minimum, int maximum, int schritt, QWidget* parent)
    : QWidget(parent)
    , min_(minimum)
    , max_(std::max(minimum, maximum))
    , schritt_(schritt)
    , wert_(minimum)
{
    setObjectName(name);
    hoch = pfeil(Qt::UpArrow, this);
    runter = pfeil(Qt::DownArrow, this);
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);
    spalte->addWidget(hoch);
    spalte->addWidget(runter);
    connect(hoch, &QToolButton::clicked, this, [this] { setValue(wert_ + schritt_); });
    connect(runter, &QToolButton::clicked, this, [this] { setValue(wert_ - schritt_); });
}

void AufAb::setValue(int v)
{
    v = std::clamp(v, min_, max_);
    if (v == wert_)
        return;
    wert_ = v;
    Q_EMIT valueChanged(v);
}

// ---------------------------------------------------------- CoilSelection

CoilSelection::CoilSelection(const SpulenSeite& seite, QWidget* parent)
    : QWidget(parent)
    , fehlt_(seite.fehlt)
{
    track = new QSlider(Qt::Vertical, this);
    track->setObjectName(seite.track);
    track->setRange(1, 64);
    track->setValue(1);
    track->setToolTip(seite.trackHint);
    track->setFocusPolicy(Qt::StrongFocus);
    track->setMinimumHeight(380);
    lMin = new QLabel(QStringLiteral("1"), this);
    lMin->setObjectName(seite.lMin);
    lMax = new QLabel(QStringLiteral("64"), this);
    lMax->setObjectName(seite.lMax);
    nr = panels::numberPanel(seite.nr, QStringLiteral("1"), 64, panels::Navy, panels::Silver, this);
    nr->setFixedSize(200, 100);

    gruppe = new QButtonGroup(this);
    gruppe->setExclusive(true);

    zeitTitel = new QLabel(QStringLiteral("Schaltzeit (ms)"), this);
    zeitTitel->setObjectName(seite.zeitTitel);
    zeit = zeitFeld(seite.zeit, this);
    zeitKnopf = new AufAb(seite.zeitKnopf, ZeitMin, ZeitMax, ZeitSchritt, this);
    connect(zeit, &QLineEdit::editingFinished, this, &CoilSelection::zeitUebernehmen);
    memo = anleitung(seite.memo, seite.memoZeilen, this);
    automatik = new AutomatikGruppe(seite.automatik, seite.art, AutomatikTakt, nr, track, this);
    automatik->setFixedWidth(300);
    automatik->setAnzahl(anzahl_);
    automatik->aufraeumen = [this] {
        if (impuls)
            impuls->beenden();
    };

    auto* trackSpalte = new QVBoxLayout;
    trackSpalte->setSpacing(4);
    trackSpalte->addWidget(lMax, 0, Qt::AlignHCenter);
    trackSpalte->addWidget(track, 1, Qt::AlignHCenter);
    trackSpalte->addWidget(lMin, 0, Qt::AlignHCenter);

    knoepfe_ = new QHBoxLayout;
    knoepfe_->setSpacing(8);
    auto* mitte = new QVBoxLayout;
    mitte->setSpacing(0);
    mitte->addWidget(nr);
    mitte->addSpacing(40);
    mitte->addLayout(knoepfe_);
    mitte->addStretch(1);

    auto* zeitZeile = new QHBoxLayout;
    zeitZeile->setSpacing(4);
    zeitZeile->addWidget(zeit);
    zeitZeile->addWidget(zeitKnopf);
    zeitZeile->addStretch(1);
    auto* rechts = new QVBoxLayout;
    rechts->setSpacing(6);
    rechts->addWidget(zeitTitel);
    rechts->addLayout(zeitZeile);
    rechts->addSpacing(40);
    rechts->addWidget(memo);
    rechts->addSpacing(10);
    rechts->addWidget(automatik);
    rechts->addStretch(1);

    auto* zeile = new QHBoxLayout(this);
    zeile->setContentsMargins(40, 20, 40, 20);
    zeile->setSpacing(50);
    zeile->addLayout(trackSpalte);
    zeile->addLayout(mitte);
    zeile->addLayout(rechts);
    zeile->addStretch(1);

    // Mouse buttons on the track bar and on the bare page fire pulses.
    track->installEventFilter(this);
    installEventFilter(this);
    if (parent)
        parent->installEventFilter(this);
}

QToolButton* CoilSelection::spulenKnopf(const QString& name, const QString& caption, const QString& hint)
{
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    b->setCheckable(true);
    b->setMinimumSize(64, 48);
    b->setIconSize(QSize(48, 32));
    gruppe->addButton(b);
    knoepfe_->addWidget(b);
    return b;
}

QToolButton* CoilSelection::ausKnopf(const QString& name, const QString& hint)
{
    btnAus = spulenKnopf(name, QStringLiteral("Impuls aus"), hint);
    btnAus->setChecked(true);
    knoepfe_->addStretch(1);
    return btnAus;
}

void CoilSelection::setAnzahl(int count)
{
    anzahl_ = std::max(0, count);
    // The selection starts at 1 even on a chain without cards.
    track->setRange(1, std::max(1, anzahl_));
    lMax->setText(QString::number(anzahl_));
    automatik->setAnzahl(anzahl_);
}

void CoilSelection::setImpuls(SpulenImpuls* geteilt)
{
    impuls = geteilt;
    automatik->belegt = [geteilt] { return geteilt->laeuft(); };
    connect(geteilt, &SpulenImpuls::beendet, automatik, &AutomatikGruppe::impulsEnde);
}

void CoilSelection::nummerZeigen()
{
    nr->setText(QString::number(track->value()));
    automatik->auswahlFolgen(track->value());
}

void CoilSelection::zeitZeigen()
{
    zeit->setText(QString::number(zeitKnopf->value()));
}

void CoilSelection::zeitUebernehmen()
{
    if (!zeit->isModified())
        return;
    bool ok = false;
    const int ms = zeit->text().trimmed().toInt(&ok);
    if (ok && ms >= ZeitMin && ms <= ZeitMax)
        zeitKnopf->setValue(ms);
    else
        Q_EMIT meldung(QStringLiteral(" Schaltzeit \"%1\" ungültig: eine Zahl von %2 bis %3 ms eingeben")
                           .arg(zeit->text().trimmed())
                           .arg(ZeitMin)
                           .arg(ZeitMax));
    zeitZeigen();   // also when the value was the same: the field is no longer being typed in
}

int CoilSelection::nummer() const
{
    bool ok = false;
    const int n = nr->text().trimmed().toInt(&ok);
    return ok && n >= 1 && n <= anzahl_ ? n : 0;
}

int CoilSelection::schaltzeit() const
{
    return zeit->isModified() ? zeitKnopf->value() : schaltzeitAusText(zeit->text());
}

void CoilSelection::impulsGeben(QAbstractButton* knopf, std::function<void(int n)> ein, std::function<void()> aus)
{
    Q_ASSERT(impuls);
    if (!impuls)
        return;
    const int n = nummer();
    if (n == 0) {
        if (btnAus)
            btnAus->setChecked(true);
        Q_EMIT meldung(fehlt_.arg(nr->text()).arg(anzahl_));
        return;
    }
    impuls->starten(
        schaltzeit(),
        [n, knopf, ein = std::move(ein)] {
            ein(n);
            knopf->setChecked(true);
        },
        [this, aus = std::move(aus)] {
            aus();
            if (btnAus)
                btnAus->setChecked(true);
        });
}

bool CoilSelection::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto* w = static_cast<QWidget*>(watched);
        const auto* m = static_cast<QMouseEvent*>(event);
        // On the page only where no control lies: a press that a label
        // passes on to its parent is not one on the page.
        if (watched == track || !w->childAt(m->position().toPoint()))
            Q_EMIT mausGedrueckt(m->button());
    }
    return QWidget::eventFilter(watched, event);
}
