#include "helpwindow.h"

#include "dateiorte.h"
#include "fileerror.h"

#include "rtfreader.h"
#include "textdecode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>


TfHelp::TfHelp(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fHelp"));
    setWindowTitle(QStringLiteral("KVX-Test Hilfe"));
    setGeometry(100, 100, 696, 480);

    rEdit = new QTextEdit(this);
    rEdit->setObjectName(QStringLiteral("rEdit"));
    rEdit->setReadOnly(true);
    rEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rEdit->setWordWrapMode(QTextOption::WordWrap);
    rEdit->setPlainText(QStringLiteral("rEdit"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rEdit);
}

bool TfHelp::loadFile(const QString& fileName, QString* errorMessage)
{
    const QFileInfo info(fileName);
    const QString absoluteName = info.absoluteFilePath();
    const auto fail = [&](const QString& reason) {
        if (errorMessage)
            *errorMessage = openErrorText(QDir::toNativeSeparators(absoluteName), reason);
        return false;
    };

    if (const QString reason = readFailureReason(absoluteName); !reason.isEmpty())
        return fail(reason);
    QFile file(absoluteName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.error() == QFileDevice::PermissionsError
                        ? QStringLiteral("Zugriff verweigert.")
                        : QStringLiteral("Die Datei kann nicht gelesen werden."));
    const QByteArray data = file.read(kMaxFileSize + 1);
    if (data.size() > kMaxFileSize)
        return fail(QStringLiteral("Die Datei ist zu groß für die Hilfe (mehr als 2 MB)."));
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("Die Datei kann nicht gelesen werden."));

    QTextDocument* doc = rEdit->document();
    if (!readRtf(data, doc)) {
        rEdit->clear();
        rEdit->setCurrentCharFormat(QTextCharFormat());   // nothing of an earlier RTF text
        rEdit->setPlainText(decodePlainText(data));
    }
    rEdit->moveCursor(QTextCursor::Start);
    rEdit->ensureCursorVisible();
    return true;
}

QString TfHelp::helpFileName()
{
    return Dateiorte(QCoreApplication::applicationDirPath()).hilfeDatei();
}
