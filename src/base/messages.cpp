#include "messages.h"

#include <QMessageBox>
#include <QPointer>

#include <vector>

namespace {

std::vector<QPointer<QMessageBox>> offen;   // innermost last
bool beendet = false;

}  // namespace

MessageSink messageBoxSink(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        if (beendet)
            return;
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AnwendungsTitel), text, QMessageBox::Ok,
                        owner.data());
        offen.emplace_back(&box);
        box.exec();
        offen.pop_back();
    };
}

void meldungenBeenden()
{
    beendet = true;
    for (const QPointer<QMessageBox>& box : offen)
        if (box)
            box->done(QMessageBox::Ok);
}
