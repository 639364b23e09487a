// Pause keeps the window messages flowing and ends only its own wait, also
// when another pause runs inside it (a tick inside a coil pulse).
#include "pause.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <chrono>

class PauseTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void verarbeitetNachrichten()
    {
        bool gelaufen = false;
        QTimer::singleShot(0, [&] { gelaufen = true; });
        Pause(20);
        QVERIFY(gelaufen);
    }

    // The 2 ms of the keep-alive line's low phase: never shorter, and the
    // messages still flow in it.
    void kurzePauseDauertIhreZeit()
    {
        for (int i = 0; i < 20; ++i) {
            bool gelaufen = false;
            QTimer::singleShot(0, [&] { gelaufen = true; });
            const auto start = std::chrono::steady_clock::now();
            Pause(2, QEventLoop::ExcludeUserInputEvents);
            QVERIFY(std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(2));
            QVERIFY(gelaufen);
        }
    }

    void innerePauseBeendetNurSich()
    {
        QElapsedTimer uhr;
        qint64 innenFertig = -1;
        int innere = 0;
        // Short pauses started from inside the long one, as ticks would.
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (innere >= 5)
                return;
            ++innere;
            Pause(2);
            innenFertig = uhr.elapsed();
        });
        uhr.start();
        tick.start();
        Pause(300);
        const qint64 dauer = uhr.elapsed();
        tick.stop();
        QCOMPARE(innere, 5);
        QVERIFY(innenFertig >= 0);
        // The outer pause lasted its own time, not just until the first inner one ended.
        QVERIFY2(dauer >= 250, qPrintable(QString::number(dauer)));
    }
};

QTEST_GUILESS_MAIN(PauseTest)
#include "pause_test.moc"
