#include "anlagenbetrieb.h"

#include "anlagenprotokoll.h"
#include "mithoeren.h"
#include "textdatei.h"
#include "tfanlage.h"
#include "virtuellerzug.h"
#include "zugstrecke.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

#include <algorithm>

using namespace config;

VirtualLayout anlageFuer(const std::array<int, KartenAnzahl>& karten)
{
    VirtualLayout l;
    l.blockCards = karten[Block];
    l.hblockCards = karten[HBlock];
    l.melderCards = karten[Melder];
    l.weichenCards = karten[Weichen];
    l.signalCards = karten[Signale];
    l.taster1Cards = karten[Taster1];
    l.led1Cards = karten[Leds1];
    l.led2Cards = karten[Leds2];
    l.led3Cards = karten[Leds3];
    return l;
}

AnlagenBetrieb::AnlagenBetrieb(QWidget* hauptfenster, MessageSink meldung)
    : haupt_(hauptfenster)
    , meldung_(std::move(meldung))
    , start_(std::chrono::steady_clock::now())
{
    for (int i = 0; i < KartenAnzahl; ++i)
        karten_[std::size_t(i)] = Karten[std::size_t(i)].defaultValue;
    takt_ = new QTimer(this);
    takt_->setInterval(TaktMs);
    connect(takt_, &QTimer::timeout, this, &AnlagenBetrieb::takt);
}

AnlagenBetrieb::~AnlagenBetrieb()
{
    takt_->stop();
    delete fenster_;
}

void AnlagenBetrieb::modellAnlegen()
{
    if (karte_)
        return;
    karte_ = std::make_unique<VirtualCard>(anlageFuer(karten_));
    protokoll_ = std::make_unique<AnlagenProtokoll>(*karte_, start_);
    takt_->start();
}

PortBackend* AnlagenBetrieb::starten(bool virtuell, const QString& protokollDatei, PortBackend* echt)
{
    if (!protokollDatei.isEmpty()) {
        QString fehler;
        if (!datei_.oeffnen(protokollDatei, &fehler))
            meldung_(fehler);
    }
    if (virtuell) {
        haupt_->installEventFilter(this);   // the window opens beside the main window once that shows
        return umschalten();
    }
    if (!datei_.offen() || !echt)
        return nullptr;
    modellAnlegen();
    mithoeren_ = std::make_unique<Mithoeren>(*echt, *karte_);
    return mithoeren_.get();
}

PortBackend* AnlagenBetrieb::umschalten()
{
    modellAnlegen();
    virtuell_ = true;
    return karte_.get();
}

void AnlagenBetrieb::kartenSetzen(Karte art, int anzahl)
{
    if (art < 0 || art >= KartenAnzahl || karten_[std::size_t(art)] == anzahl)
        return;
    karten_[std::size_t(art)] = anzahl;
    if (karte_)
        karte_->setLayout(anlageFuer(karten_));
    if (zug_)
        zug_->neuMelden();
}

QString AnlagenBetrieb::fehlerSetzen(const QString& liste)
{
    if (!karte_)
        return QStringLiteral("Verdrahtungsfehler gibt es nur auf der virtuellen Anlage.");
    const verdrahtung::Lesung l = verdrahtung::lesen(liste.toStdString(), karte_->layout());
    if (l.meldung.empty())
        karte_->setFehler(l.fehler);
    return QString::fromStdString(l.meldung);
}

bool AnlagenBetrieb::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == haupt_ && event->type() == QEvent::Show) {
        haupt_->removeEventFilter(this);
        // After the main window has taken its place on the screen.
        QTimer::singleShot(0, this, &AnlagenBetrieb::fensterZeigen);
    }
    return QObject::eventFilter(watched, event);
}

void AnlagenBetrieb::fensterZeigen()
{
    if (!karte_)
        return;
    if (!fenster_) {
        fenster_ = new TfAnlage(*karte_, haupt_);
        connect(fenster_, &TfAnlage::zugEinsetzen, this, &AnlagenBetrieb::zugEinsetzen);
        connect(fenster_, &TfAnlage::zugEntfernen, this, &AnlagenBetrieb::zugEntfernen);
        connect(fenster_, &TfAnlage::protokollSpeichern, this, &AnlagenBetrieb::protokollSpeichern);
        connect(fenster_, &TfAnlage::beispielAnlage, this, &AnlagenBetrieb::beispielAnlage);
        fenster_->protokollSetzen(text_);
        fenster_->addActions(fensterTasten);
    }
    if (!takt_->isActive())   // after beenden() of a main window that was shown again
        takt_->start();
    fenster_->aktualisieren();
    fenster_->zugZeigen(zugText());
    fenster_->btnBeispiel->setEnabled(beispielMoeglich());
    if (!platziert_) {
        platziert_ = true;
        if (const QScreen* s = haupt_->screen()) {
            const QRect frei = s->availableGeometry();
            fenster_->groesseFolgen(frei);
            // The frame is not known before the window shows: room for a usual one.
            fenster_->move(fensterPlatz(haupt_->frameGeometry(), fenster_->size() + QSize(16, 48), frei));
        } else {
            fenster_->resize(fenster_->volleGroesse());
        }
    }
    fenster_->show();
    fenster_->raise();
}

TfAnlage* AnlagenBetrieb::fenster() const
{
    return fenster_;
}

void AnlagenBetrieb::fensterSchliessen()
{
    if (fenster_)
        fenster_->close();
}

void AnlagenBetrieb::takt()
{
    blick(false);
}

void AnlagenBetrieb::beenden()
{
    takt_->stop();
    fensterSchliessen();   // ends a pattern of the window
    blick(true);
    datei_.schliessen();
}

void AnlagenBetrieb::blick(bool letzter)
{
    if (!karte_)
        return;
    const auto jetzt = std::chrono::steady_clock::now();
    if (zug_) {
        if (auto t = streckeHolen ? streckeHolen() : nullptr; t && t != strecke_) {
            strecke_ = t;
            zug_->setStrecke(zugZeilen(*t));
        }
        zug_->fahren(jetzt);
    }
    const std::vector<std::string> zeilen = letzter ? protokoll_->abschliessen(jetzt) : protokoll_->pruefen(jetzt);
    if (!zeilen.empty()) {
        for (const std::string& z : zeilen) {
            text_.append(z.data(), qsizetype(z.size()));
            text_.append('\n');
        }
        if (text_.size() > MaxProtokoll)
            text_.remove(0, text_.indexOf('\n', text_.size() / 2) + 1);
        QString fehler;
        if (datei_.offen() && !datei_.schreiben(zeilen, &fehler))
            meldung_(fehler);
        if (fenster_)
            fenster_->protokollAnhaengen(zeilen);
    }
    if (fenster_ && fenster_->isVisible()) {
        fenster_->aktualisieren();
        fenster_->zugZeigen(zugText());
        fenster_->btnBeispiel->setEnabled(beispielMoeglich());
    }
}

QString AnlagenBetrieb::zugText() const
{
    if (!zug_)
        return QStringLiteral("Kein Zug");
    return QStringLiteral("Zug in Zeile %1").arg(zug_->zeile());
}

void AnlagenBetrieb::zugEinsetzen(int zeile)
{
    if (!karte_)
        return;
    zugEntfernen();
    strecke_ = streckeHolen ? streckeHolen() : nullptr;
    std::vector<ZugZeile> zeilen = strecke_ ? zugZeilen(*strecke_) : std::vector<ZugZeile>(fahrt::RingZeilen);
    zug_ = std::make_unique<VirtuellerZug>(*karte_, std::move(zeilen), std::clamp(zeile, 1, fahrt::RingZeilen));
    if (fenster_) {
        fenster_->btnWandern->setChecked(false);
        fenster_->nrZugZeile->setValue(zug_->zeile());
        fenster_->zugZeigen(zugText());
    }
}

void AnlagenBetrieb::zugEntfernen()
{
    if (zug_)
        zug_->entfernen();
    zug_.reset();
    if (fenster_)
        fenster_->zugZeigen(zugText());
}

void AnlagenBetrieb::protokollSpeichern()
{
    const QString pfad = speicherPfad ? speicherPfad() : QString();
    if (pfad.isEmpty())
        return;
    if (const QString text = dateiSichern(pfad, text_); !text.isEmpty())
        meldung_(text);
}

bool AnlagenBetrieb::beispielMoeglich() const
{
    return virtuell_ && karte_ && beispielEinrichten && !beispielLaeuft_ && (!beispielErlaubt || beispielErlaubt());
}

void AnlagenBetrieb::beispielAnlage()
{
    if (!beispielMoeglich())
        return;
    // The re-initialisation pauses with the events flowing: no second click inside it.
    const QScopedValueRollback<bool> laeuft(beispielLaeuft_, true);
    if (fenster_)
        fenster_->btnBeispiel->setEnabled(false);
    std::array<int, KartenAnzahl> karten = karten_;
    for (std::size_t i = 0; i < karten.size(); ++i)   // larger counts stay: the sample fits them too
        karten[i] = std::max(karten[i], BeispielKarten[i]);
    beispielEinrichten(karten);
    zugEinsetzen(1);
}
