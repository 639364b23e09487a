#include "messages.h"

#include <QMessageBox>
#include <QPushButton>
#include <QPointer>

MessageSink messageBoxSink(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AnwendungsTitel), text, QMessageBox::Ok,
                        owner.data());
        box.exec();
    };
}

QuestionSink questionBoxSink(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(AnwendungsTitel), text,
                        QMessageBox::Yes | QMessageBox::No, owner.data());
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
}
