// randomBetween, the responsive wait and the orderly end.

#include "support/ScriptedReporter.h"
#include "support/TestEnvironment.h"
#include "util/Dialogs.h"
#include "util/ProgramEnd.h"
#include "util/Random.h"
#include "util/Shutdown.h"
#include "util/Wait.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QCloseEvent>

#include <array>

using namespace tess;

namespace {

class StubbornWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

class RecordingWindow : public QWidget {
public:
    explicit RecordingWindow(QStringList* log, QString name)
        : log_(log), name_(std::move(name)) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        *log_ << name_;
        event->accept();
    }

private:
    QStringList* log_;
    QString name_;
};

} // namespace

class TestHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        setClockOfDay({});
        setProgramEnder({});
    }

    void zzStaysInItsRange()
    {
        for (int i = 0; i < 2000; ++i) {
            const qint16 value = randomBetween(104, 106);
            QVERIFY2(value >= 104 && value <= 106, qPrintable(QString::number(value)));
        }
        for (int i = 0; i < 100; ++i)
            QCOMPARE(randomBetween(1, 1), qint16(1));
        QCOMPARE(randomBetween(0, -1), qint16(0));
        QCOMPARE(randomBetween(5, 4), qint16(5)); // the empty range gives lo
    }

    void zzHitsEveryValueAboutEquallyOften()
    {
        // Draws follow each other within microseconds: the clock alone would
        // give long runs of the same value.
        std::array<int, 5> counts{};
        constexpr int Draws = 10000;
        for (int i = 0; i < Draws; ++i)
            ++counts[static_cast<std::size_t>(randomBetween(1, 5) - 1)];
        for (int count : counts)
            QVERIFY2(count > Draws / 5 * 0.85 && count < Draws / 5 * 1.15, qPrintable(QString::number(count)));
    }

    void zzArithmeticIsFloorOfCountTimesRPlusLo()
    {
        QCOMPARE(pickBetween(0, 9, 0.0f), qint16(0));
        QCOMPARE(pickBetween(0, 9, 0.95f), qint16(9));
        QCOMPARE(pickBetween(1, 20, 0.24f), qint16(5)); // 20 * 0.24 + 1 = 5.8
        QCOMPARE(pickBetween(-5, 5, 0.5f), qint16(0));  // 11 * 0.5 - 5 = 0.5
        // r just below 1 must not round up to hi + 1 in single precision
        const float highest = 1.0f - 1.0f / 16777216.0f;
        QCOMPARE(pickBetween(104, 106, highest), qint16(106));
        QCOMPARE(pickBetween(0, 191, highest), qint16(191));
    }

    void zzReportsARangeBeyondSixteenBits()
    {
        test::ScriptedReporter reporter;
        randomBetween(-32768, 32767);
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports.first().procedure, QStringLiteral("zz"));
        QCOMPARE(reporter.reports.first().number, 6);
    }

    void waitReturnsAfterItsTimeAndHandlesEvents()
    {
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(20);
        QElapsedTimer clock;
        clock.start();
        waitSeconds(0.2);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 195 && elapsed < 1500, qPrintable(QString::number(elapsed)));
        QVERIFY2(ticks >= 3, "timer ticks must be handled during the wait");
    }

    void waitsNestInsideEachOther()
    {
        QStringList order;
        QTimer::singleShot(10, [&] {
            order << "inner start";
            waitSeconds(0.15);
            order << "inner end";
        });
        waitSeconds(0.05);
        order << "outer end";
        QCOMPARE(order, (QStringList{"inner start", "inner end", "outer end"}));
    }

    void waitEndsAtMidnight()
    {
        setClockOfDay([] { return 86399.9; });
        QElapsedTimer clock;
        clock.start();
        waitSeconds(5.0);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    void waitOfNothingReturnsAtOnce()
    {
        QElapsedTimer clock;
        clock.start();
        waitSeconds(0);
        waitSeconds(-1);
        waitSeconds(std::numeric_limits<double>::quiet_NaN());
        QVERIFY(clock.elapsed() < 500);
    }

    void enterAnswersAQuestionWithItsFirstButton()
    {
        // As in the classic message box: Enter on "Another round?" is Yes, never an end.
        QString defaultText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(dialogs().askYesNo(QStringLiteral("Another round?"), QStringLiteral("Game over")));
        QCOMPARE(defaultText, QMessageBox(QMessageBox::Question, {}, {}, QMessageBox::Yes).button(QMessageBox::Yes)->text());
    }

    void shutdownClosesWindowsFromLastToFirst()
    {
        QStringList closed;
        auto* first = new RecordingWindow(&closed, QStringLiteral("first"));
        auto* second = new RecordingWindow(&closed, QStringLiteral("second"));
        first->setAttribute(Qt::WA_DeleteOnClose);
        second->setAttribute(Qt::WA_DeleteOnClose);
        first->show();
        second->show();
        bool endedAtOnce = false;
        setProgramEnder([&] { endedAtOnce = true; });
        quitProgram();
        QCOMPARE(closed, (QStringList{"second", "first"}));
        QVERIFY(!endedAtOnce);
        QCoreApplication::processEvents(); // the quit posted by quitProgram has no loop to end here
    }

    void shutdownEndsTheProgramWhenAWindowRefusesToClose()
    {
        StubbornWindow stubborn;
        stubborn.show();
        bool endedAtOnce = false;
        setProgramEnder([&] { endedAtOnce = true; });
        quitProgram();
        QVERIFY(endedAtOnce);
        stubborn.hide();
    }
};

TESSARON_TEST_MAIN(TestHelpers)
#include "test_helpers.moc"
