// The coil pulse without widgets or card: a new pulse ends the running one
// before it starts; the switching time as shown.
#include "coilpage.h"
#include "spulenimpuls.h"

#include <QStringList>
#include <QtTest>

class SpulenImpulsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void einImpulsZurZeit()
    {
        SpulenImpuls impuls;
        QStringList ablauf;
        auto schritt = [&ablauf](const char* s) { return [&ablauf, s] { ablauf << QString::fromLatin1(s); }; };
        // Each end is told once, after its end step; full only when the time ran out.
        QObject::connect(&impuls, &SpulenImpuls::beendet, &impuls,
                         [&ablauf](bool voll) { ablauf << (voll ? QStringLiteral("voll") : QStringLiteral("kurz")); });
        impuls.starten(5000, schritt("ein 1"), schritt("aus 1"));
        impuls.starten(5000, schritt("ein 2"), schritt("aus 2"));
        QCOMPARE(ablauf, (QStringList{"ein 1", "aus 1", "kurz", "ein 2"}));
        impuls.beenden();
        impuls.beenden();
        QCOMPARE(ablauf, (QStringList{"ein 1", "aus 1", "kurz", "ein 2", "aus 2", "kurz"}));
        QVERIFY(!impuls.laeuft());
        impuls.starten(1, schritt("ein 3"), schritt("aus 3"));
        QTRY_COMPARE(ablauf.mid(6), (QStringList{"ein 3", "aus 3", "voll"}));
    }

    void schaltzeitImBereich()
    {
        QCOMPARE(schaltzeitAusText(QStringLiteral("4990")), 4990);
        QCOMPARE(schaltzeitAusText(QStringLiteral("99999")), 5000);
        QCOMPARE(schaltzeitAusText(QStringLiteral("-5")), 200);
        QCOMPARE(schaltzeitAusText(QStringLiteral("abc")), 200);
    }
};

QTEST_MAIN(SpulenImpulsTest)
#include "spulenimpuls_test.moc"
