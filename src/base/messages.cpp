#include "messages.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <vector>

namespace {

std::vector<QPointer<QMessageBox>> offen;   // innermost last
bool beendet = false;

// A modal box that a signal can close (meldungenBeenden).
int zeigen(QMessageBox& box)
{
    offen.emplace_back(&box);
    const int antwort = box.exec();
    offen.pop_back();
    return antwort;
}

}  // namespace

MessageSink messageBoxSink(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        if (beendet)
            return;
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AnwendungsTitel), text, QMessageBox::Ok,
                        owner.data());
        zeigen(box);
    };
}

QuestionSink questionBoxSink(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        if (beendet)
            return false;
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(AnwendungsTitel), text,
                        QMessageBox::Yes | QMessageBox::No, owner.data());
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return zeigen(box) == QMessageBox::Yes;
    };
}

void meldungenBeenden()
{
    beendet = true;
    for (const QPointer<QMessageBox>& box : offen)
        if (box)
            box->done(QMessageBox::No);   // for a message: closed; for a question: "Nein"
}
