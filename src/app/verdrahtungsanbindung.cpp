#include "verdrahtungsanbindung.h"

#include "configpage.h"
#include "fahrenpage.h"
#include "mainwindow.h"
#include "pruefberichtfenster.h"
#include "streckepage.h"
#include "verdrahtungsfenster.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QTabBar>
#include <QTimer>

#include <memory>

namespace {

// Closing the main window ends a running check first, before the card goes.
// The supply's state when a check began.
struct Vorher {
    bool takt = false, ein = false, aus = false;
    bool esc = false;   // Esc during the check, or the end: the tick does not resume
};

class SchliessenFilter : public QObject {
public:
    SchliessenFilter(VerdrahtungsFenster* fenster, std::shared_ptr<Vorher> vorher)
        : QObject(fenster), fenster_(fenster), vorher_(std::move(vorher))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            vorher_->esc = true;
            fenster_->close();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    VerdrahtungsFenster* fenster_;
    std::shared_ptr<Vorher> vorher_;
};

}  // namespace

VerdrahtungsFenster* verdrahtungAnbinden(TfMain& f)
{
    auto* fenster = new VerdrahtungsFenster(*f.kvx, &f);
    fenster->hide();
    fenster->addAction(f.mnuAllesAus);   // Esc there, too
    fenster->bericht = &f.fBericht->bericht;
    fenster->gesperrt = [&f] {
        if (f.pFahren->zugFaehrt() || f.pStrecke->zugFaehrt())
            return QStringLiteral("Ein Zug fährt: die Prüfung beginnt erst, wenn die Fahrt beendet ist.");
        return QString();
    };
    auto vorher = std::make_shared<Vorher>();
    fenster->laufAenderung = [&f, fenster, vorher](bool beginnt) {
        // Nothing may change the card counts or reset the chains under the
        // worker: the Config page, the re-initialisation and the reset are
        // locked, and no page can be chosen (its show handler would switch
        // blocks).
        f.pConfig->setEnabled(!beginnt);
        f.pControl->tabBar()->setEnabled(!beginnt);
        f.mnuReInit->setEnabled(!beginnt);
        f.mnuReset->setEnabled(!beginnt);
        if (beginnt) {
            *vorher = {f.tiSNT->isActive(), f.mnuSNTein->isEnabled(), f.mnuSNTaus->isEnabled(), false};
            f.tiSNT->stop();   // the check's worker pulses the line now
            f.mnuSNTein->setEnabled(false);
            f.mnuSNTaus->setEnabled(false);
            return;
        }
        f.mnuSNTein->setEnabled(vorher->ein);
        f.mnuSNTaus->setEnabled(vorher->aus);
        if (vorher->takt) {
            // After Esc, or when the check found power it cannot switch off
            // and dropped the supply: it stays off until "SNT-ein".
            if (vorher->esc || fenster->netzteilAbgeschaltet())
                f.mnuSNTausClick();
            else
                f.tiSNT->start();
        }
    };
    QObject::connect(f.mnuAllesAus, &QAction::triggered, fenster, [fenster, vorher] {
        if (fenster->laeuft()) {
            vorher->esc = true;
            fenster->stoppen();
        }
    });
    auto* mnu = new QAction(QStringLiteral("&Verdrahtung prüfen ..."), &f);
    mnu->setObjectName(QStringLiteral("mnuVerdrahtung"));
    f.mnuDaten->insertAction(f.mnuAnlage, mnu);   // "Virtuelle Anlage" stays right above "Beenden"
    QObject::connect(mnu, &QAction::triggered, fenster, [fenster] {
        fenster->show();
        fenster->raise();
        fenster->activateWindow();
    });
    f.installEventFilter(new SchliessenFilter(fenster, vorher));
    return fenster;
}
