#include "schaltliste.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

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
    stSchalt = knopf(QStringLiteral("stSchalt"), QStringLiteral("Schalten"), QStringLiteral("Fahrt freigeben"), this);
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
}
