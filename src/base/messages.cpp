#include "messages.h"

#include <QMessageBox>
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
