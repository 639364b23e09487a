#include "schaltliste.h"

#include "datendatei.h"
#include "ganzezahl.h"
#include "kvxhard.h"
#include "pause.h"

#include <QApplication>
#include <QGridLayout>
#include <QHideEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

QPushButton* knopf(const QString& name, const QString& caption, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

}  // namespace

// ------------------------------------------------------------ plain logic

namespace schaltliste {

std::optional<Eintrag> eintragLesen(QStringView text, int weichenAnzahl)
{
    const QStringView t = text.trimmed();
    if (t.size() < 2 || !t.back().isLetter())
        return std::nullopt;
    const std::optional<int> nr = ganzeZahl(t.first(t.size() - 1));
    if (!nr || *nr < 1 || *nr > weichenAnzahl)
        return std::nullopt;
    return Eintrag{*nr, static_cast<std::uint8_t>(t.back() == u'G' ? 1 : 2)};
}

Durchlauf::Aktion Durchlauf::schritt(Uhr::time_point jetzt, int anzahl, const std::function<QString(int)>& eintrag,
                                     int weichenAnzahl)
{
    if (impuls_) {
        if (jetzt - beginn_ <= ImpulsDauer)
            return {};
        impuls_ = false;
        letztesEnde_ = jetzt;
        return {Aktion::Aus, -1, {}};
    }
    for (; naechste_ < anzahl; ++naechste_) {
        const QString text = eintrag(naechste_);
        const std::optional<Eintrag> e = eintragLesen(text, weichenAnzahl);
        if (!e) {
            if (!text.trimmed().isEmpty())
                uebersprungen_.append(text);
            continue;
        }
        if (letztesEnde_ && jetzt - *letztesEnde_ <= Abstand)
            return {};
        impuls_ = true;
        beginn_ = jetzt;
        return {Aktion::Stellen, naechste_++, *e};
    }
    return {Aktion::Ende, -1, {}};
}

QString uebersprungenMeldung(const QStringList& eintraege, int weichenAnzahl)
{
    if (eintraege.isEmpty())
        return {};
    constexpr int Hoechstens = 10;   // entries named, and characters of each
    QStringList genannt;
    for (const QString& e : eintraege.first(std::min<qsizetype>(eintraege.size(), Hoechstens)))
        genannt.append(u'\'' + (e.size() > Hoechstens ? e.left(Hoechstens) + QStringLiteral("...") : e) + u'\'');
    if (eintraege.size() > Hoechstens)
        genannt.append(QStringLiteral("..."));
    return QStringLiteral("Nicht geschaltet, da keine Weiche 1..%1 mit Stellung (wie 10G oder 88A): %2")
        .arg(weichenAnzahl)
        .arg(genannt.join(QStringLiteral(", ")));
}

}  // namespace schaltliste

SchaltListe::SchaltListe(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("stPanel"));
    stList = new QListWidget(this);
    stList->setObjectName(QStringLiteral("stList"));
    stMemo = new QPlainTextEdit(this);
    stMemo->setObjectName(QStringLiteral("stMemo"));
    stMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    stMemo->hide();
    stClear = knopf(QStringLiteral("stClear"), QStringLiteral("Clear"), QString(), this);
    stEdit = knopf(QStringLiteral("stEdit"), QStringLiteral("Edit"), QStringLiteral("Liste bearbeiten"), this);
    stEdit->setCheckable(true);
    magSave = knopf(QStringLiteral("magSave"), QStringLiteral("Save"), QStringLiteral("Liste Sichern"), this);
    magLoad = knopf(QStringLiteral("magLoad"), QStringLiteral("Load"), QStringLiteral("Liste laden"), this);
    stSchalt = knopf(QStringLiteral("stSchalt"), QStringLiteral("Schalten"), QStringLiteral("Weichen der Liste schalten"), this);
    stSchalt->setCheckable(true);
    stSchalt->setStyleSheet(QStringLiteral("color: rgb(0, 128, 0); font-weight: bold;"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(stList, 0, 0, 1, 2);
    grid->addWidget(stMemo, 0, 0, 1, 2);   // the same place: the memo lies over the list
    grid->addWidget(stClear, 1, 0);
    grid->addWidget(stEdit, 1, 1);
    grid->addWidget(magSave, 2, 0);
    grid->addWidget(magLoad, 2, 1);
    grid->addWidget(stSchalt, 3, 0, 1, 2);

    impulsWache_ = new QTimer(this);
    impulsWache_->setSingleShot(true);
    impulsWache_->setTimerType(Qt::PreciseTimer);
    impulsWache_->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(schaltliste::Durchlauf::ImpulsDauer)
                              + std::chrono::milliseconds(55));
}

// ------------------------------------------------------ list and memo

QStringList SchaltListe::memoZeilen() const
{
    QString text = stMemo->toPlainText();
    if (text.isEmpty())
        return {};
    if (text.endsWith(u'\n'))   // a line break after the last line starts no new one
        text.chop(1);
    return text.split(u'\n');
}

QStringList SchaltListe::eintraege() const
{
    QStringList z;
    for (int i = 0; i < stList->count(); ++i)
        z.append(stList->item(i)->text());
    return z;
}

void SchaltListe::memoSetzen(const QStringList& zeilen)
{
    stMemo->setPlainText(zeilen.join(u'\n'));
}

void SchaltListe::bearbeiten()
{
    if (!stEdit->isChecked()) {
        uebernehmen();
        return;
    }
    stMemo->show();
    stMemo->raise();
    stMemo->setFocus();
}

void SchaltListe::uebernehmen()
{
    stList->clear();
    stList->addItems(memoZeilen());
    stMemo->hide();
    stEdit->setChecked(false);
}

void SchaltListe::leeren()
{
    stList->clear();
    stMemo->clear();
}

QString SchaltListe::laden(const QString& pfad)
{
    if (!pfad.isEmpty()) {
        QString fehler;
        const std::optional<QStringList> zeilen = datendatei::listeLesen(pfad, &fehler);
        if (!zeilen)
            return fehler;
        memoSetzen(*zeilen);
    }
    uebernehmen();
    return {};
}

QString SchaltListe::standardLaden(const QString& programmPfad)
{
    return laden(programmPfad + QStringLiteral("QJ.DMA"));
}

QString SchaltListe::sichern(const QString& pfad)
{
    QString fehler;
    const QString ziel = datendatei::stamm(pfad) + QStringLiteral(".DMA");
    datendatei::schreiben(ziel, datendatei::listenText(memoZeilen()), &fehler);
    return fehler;
}

// ------------------------------------------------------------- the pass

QString SchaltListe::schalten(TkvxHard& kvx, QAbstractButton& stGO, const std::function<void(const QString&)>& status)
{
    using schaltliste::Durchlauf;
    // A press while a pass runs (released and pressed again between two of
    // its looks) lets that pass go on.
    if (!stSchalt->isChecked() || laeuft_)
        return {};
    laeuft_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    stGO.setEnabled(false);
    // Their file dialogs would hold the pass up.
    magSave->setEnabled(false);
    magLoad->setEnabled(false);
    const QMetaObject::Connection wache = connect(impulsWache_, &QTimer::timeout, this, [&kvx] { kvx.WeicheAus(); });

    kvx.KettenReset();
    kvx.LedKettenLoeschen();
    for (int i = 0; i < 10; ++i) {
        kvx.SntAus();
        Pause(2);
        kvx.SntEin();
        Pause(2);
    }
    Durchlauf durchlauf;
    const auto eintrag = [this](int zeile) { return stList->item(zeile)->text(); };
    // One look per loop pass, then the keep-alive pulse with the window's
    // messages handled while the line is low.
    while (stSchalt->isChecked()) {
        const Durchlauf::Aktion a = durchlauf.schritt(Durchlauf::Uhr::now(), stList->count(), eintrag, kvx.WeichenAnzahl);
        if (a.art == Durchlauf::Aktion::Ende)
            break;
        if (a.art == Durchlauf::Aktion::Aus) {
            impulsWache_->stop();
            kvx.WeicheAus();
        } else if (a.art == Durchlauf::Aktion::Stellen) {
            stList->setCurrentRow(a.zeile);
            kvx.WeicheStellen(static_cast<std::uint16_t>(a.eintrag.weiche), a.eintrag.lage);
            impulsWache_->start();
            status(QStringLiteral("Weiche %1 wird geschaltet ...").arg(a.eintrag.weiche));
        }
        kvx.SntAus();
        Pause(2);
        kvx.SntEin();
        Pause(2);
        kvx.SntAus();
        QCoreApplication::processEvents();
        kvx.SntEin();
    }

    kvx.WeicheAus();
    impulsWache_->stop();
    disconnect(wache);
    stSchalt->setChecked(false);
    stGO.setEnabled(true);
    magSave->setEnabled(true);
    magLoad->setEnabled(true);
    status(QString());
    QApplication::restoreOverrideCursor();
    laeuft_ = false;
    return schaltliste::uebersprungenMeldung(durchlauf.uebersprungen(), kvx.WeichenAnzahl);
}

void SchaltListe::hideEvent(QHideEvent* event)
{
    // Minimising the window hides it spontaneously and lets the pass go on.
    if (!event->spontaneous())
        stSchalt->setChecked(false);
    QWidget::hideEvent(event);
}
