// Clicks that come while a procedure of the game still runs: during a sound
// heard to its end, a pause, the joker's blinking or the automatic draw. The
// game runs in its real window with the real sound device (dummy driver) and
// real, short waits; clicks are queued through the window system as a mouse
// would deliver them, so they arrive in the middle of whatever runs.

#include "controls/ImageControl.h"
#include "support/PieceCheck.h"
#include "window/PuzzleWindow.h"
#include "language/Language.h"
#include "settings/SharedState.h"
#include "sound/AudioDevice.h"
#include "sound/Sounds.h"
#include "support/ScriptedReporter.h"
#include "support/TestServices.h"
#include "support/TestEnvironment.h"
#include "util/Dialogs.h"
#include "util/ProgramEnd.h"
#include "util/RunTimeError.h"
#include "util/TickCount.h"
#include "util/Wait.h"

#include <QAccessible>
#include <QDialog>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QToolButton>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

using namespace tess;

namespace {

// Every effect as a real 40 ms sound: the device and its waiting are real, only shorter.
class ShortSounds : public EffectSink {
public:
    ShortSounds()
    {
        const int rate = 22050;
        const int samples = rate / 25;
        QByteArray data;
        for (int i = 0; i < samples; ++i) {
            const qint16 value = qint16((i / 20) % 2 ? 3000 : -3000);
            data.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
        }
        auto le = [](quint32 v, int bytes) {
            QByteArray out;
            for (int i = 0; i < bytes; ++i)
                out.append(char((v >> (8 * i)) & 0xff));
            return out;
        };
        auto le32 = [&](quint32 v) { return le(v, 4); };
        auto le16 = [&](quint16 v) { return le(v, 2); };
        wav_ = "RIFF" + le32(quint32(36 + data.size())) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(rate)
            + le32(rate * 2) + le16(2) + le16(16) + "data" + le32(quint32(data.size())) + data;
        setEffectSink(this);
    }
    ~ShortSounds() override { setEffectSink(nullptr); }
    void play(int, const QByteArray&, bool wait) override { AudioDevice::instance().playEffect(wav_, wait); }

private:
    QByteArray wav_;
};

// The message boxes: "another round?" is Yes, "really quit?" is No.
class Answers : public Dialogs {
public:
    std::function<void()> roundOver;
    int informed = 0;
    void inform(const QString&, const QString&) override { ++informed; }
    bool askYesNo(const QString& text, const QString&, Answer) override
    {
        if (text == langText(130)) {
            roundOver();
            return true;
        }
        return false;
    }
    QStringList chooseFiles(const QString&, const QString&, const QStringList&) override { return {}; }
    bool inputText(const QString&, const QString&, QString& text, int) override
    {
        text.clear();
        return false;
    }
};

// A mouse click as the window system delivers it: queued, handled whenever
// the program next lets events run.
void queueClick(QWidget* target, int times = 1)
{
    if (!target->isVisible())
        return;
    QWindow* window = target->window()->windowHandle();
    const QPointF local = target->mapTo(target->window(), target->rect().center());
    const QPointF global = window->mapToGlobal(local.toPoint());
    for (int i = 0; i < times; ++i) {
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
    }
}

// What a screen reader's Press action does: it reaches the control whatever
// dialog is open.
void pressAsAScreenReader(QWidget* control)
{
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
    QVERIFY(spoken && spoken->actionInterface());
    spoken->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

// Checks the invariant before every event the program handles while no
// procedure runs, that is after everything handled so far.
class InvariantWatch : public QObject {
public:
    explicit InvariantWatch(const PuzzleTable& table) : table_(table) { qApp->installEventFilter(this); }
    ~InvariantWatch() override { qApp->removeEventFilter(this); }
    QStringList problems;
    int checks = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        if (!table_.procedureRunning() && !table_.gameIdle) {
            ++checks;
            const QString problem = test::checkPieces(table_, shared().boardRows * shared().boardCols);
            if (!problem.isEmpty() && problems.size() < 10)
                problems << problem;
        }
        return false;
    }

private:
    const PuzzleTable& table_;
};

} // namespace

class TestStrayClicks : public QObject {
    Q_OBJECT

    std::unique_ptr<ShortSounds> sounds;
    std::unique_ptr<Answers> answers;
    std::unique_ptr<PuzzleWindow> window;
    test::TestServices services;
    QElapsedTimer clock;
    bool ended = false;
    int finished = 0;
    QStringList unfinishedEnds; // game ends with pieces still missing

    PuzzleTable& table() { return window->table(); }
    int pieces() const { return shared().boardRows * shared().boardCols; }

    void gameOver()
    {
        ++finished;
        int laid = 0;
        for (int n = 0; n < pieces(); ++n)
            laid += table().game().placed(n);
        if (laid != pieces() || !table().faceDownPieces().isEmpty())
            unfinishedEnds << QStringLiteral("%1 of %2 laid, %3 on the stack").arg(laid).arg(pieces()).arg(table().faceDownPieces().size());
    }

    // Runs the event loop until `done` or the time is up.
    static bool runUntil(const std::function<bool()>& done, int milliseconds)
    {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < milliseconds)
            QTest::qWait(5);
        return done();
    }

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        shared() = SharedState{};
        writeLanguageTable();
        QVERIFY(AudioDevice::instance().open());
        sounds = std::make_unique<ShortSounds>();
        answers = std::make_unique<Answers>();
        answers->roundOver = [this] { gameOver(); };
        setDialogs(answers.get());
        setProgramEnder([this] { ended = true; });
        setWaitScale(0.25); // pauses of 50 ms instead of 0.2 s: short, never none
        // The move clock runs twelve times as fast: a hesitating player runs out of time in a second.
        clock.start();
        setTickSource([this] { return qint32(clock.elapsed() * 12); });
        finished = 0;
        unfinishedEnds.clear();
        ended = false;

        window = std::make_unique<PuzzleWindow>();
        table().load();
        services.otherwise = &table().services(); // the window's own
        services.champions = [this] { gameOver(); };
        table().setServices(&services);
        shared().playMusic = false;
        shared().playSounds = true;
        shared().sizeIndex = 0;
        shared().boardRows = shared().boardSizes[0].rows;
        shared().boardCols = shared().boardSizes[0].cols;
        shared().useJokers = true;
        shared().timeLimit = true;
        shared().offerHints = true;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Up once the first activation has run (it passes the turn on).
        QVERIFY(runUntil([this] { return table().layoutDone && table().idleTimer().isActive() && !table().procedureRunning(); }, 2000));
    }

    void cleanup()
    {
        window.reset();
        setDialogs(nullptr);
        answers.reset();
        sounds.reset();
        setWaitScale(1);
        setTickSource({});
        setProgramEnder({});
    }

    void aDoubleClickOnTheThirdWrongCellSendsThePieceBackOnce()
    {
        shared().playerCount = 2;
        shared().useJokers = false;
        table().buttonPressed(0);
        table().stackClicked();
        const int piece = table().pieceInHand();
        QVERIFY(piece >= 0);
        std::vector<int> wrong;
        for (int n = 0; n < pieces() && wrong.size() < 3; ++n)
            if (n != piece)
                wrong.push_back(n);
        table().cellClicked(wrong[0]);
        table().cellClicked(wrong[1]);
        const auto stackBefore = table().faceDownPieces().size();
        const int player = table().currentPlayer;
        // The second click of a double click comes while the failing sound is heard.
        QTimer second;
        connect(&second, &QTimer::timeout, this, [&] {
            if (table().procedureRunning() && table().pieceInHand() == piece) {
                queueClick(window->cell(wrong[2]));
                second.stop();
            }
        });
        second.start(5);
        queueClick(window->cell(wrong[2]));
        QVERIFY(runUntil([this] { return table().pieceInHand() == -1 && !table().procedureRunning(); }, 3000));
        QVERIFY(!second.isActive());
        QTest::qWait(50);
        QCOMPARE(table().faceDownPieces().size(), stackBefore + 1);
        QCOMPARE(test::checkPieces(table(), pieces()), QString());
        QVERIFY(!table().faceDownPieces().contains(-1));
        QVERIFY(table().currentPlayer != player); // passed on once, not twice
    }

    void aRightClickDuringTheTimeOutSoundIsNotALaying()
    {
        shared().playerCount = 2;
        shared().useJokers = false;
        table().buttonPressed(0);
        table().stackClicked();
        const int piece = table().pieceInHand();
        const int player = table().currentPlayer;
        QVERIFY(piece >= 0);
        // Once the time has run out (the clock stops before the time-out
        // sound), click the right cell again and again.
        QTimer clicker;
        int queued = 0;
        connect(&clicker, &QTimer::timeout, this, [&] {
            if (table().procedureRunning() && !table().moveClock().isActive() && table().pieceInHand() == piece) {
                queueClick(window->cell(piece));
                ++queued;
            }
        });
        clicker.start(5);
        QVERIFY(runUntil([&] { return table().pieceInHand() == -1 && !table().procedureRunning(); }, 5000));
        clicker.stop();
        QTest::qWait(50);
        QVERIFY(queued > 0);
        QCOMPARE(test::checkPieces(table(), pieces()), QString());
        QVERIFY(!table().game().placed(piece));
        QVERIFY(table().faceDownPieces().contains(piece));
        QCOMPARE(table().game().scores()[std::size_t(player)], 0);
        QVERIFY(table().currentPlayer != player); // the turn passed
    }

    // The whole game under a storm of clicks: whatever is clicked and when,
    // every piece stays exactly once on the board, in hand or on the stack,
    // and the games can be finished.
    void gamesUnderAStormOfClicksKeepEveryPieceAndCanBeFinished()
    {
        QRandomGenerator random(20261207);
        InvariantWatch watch(table());
        int abandoned = 0;
        QTimer player;
        QTimer storm;
        auto randomCell = [&] { return window->cell(int(random.bounded(pieces()))); };
        connect(&player, &QTimer::timeout, this, [&] {
            PuzzleTable& t = table();
            if (t.procedureRunning())
                return; // a player waits for the game; the storm does not
            if (t.gameIdle) {
                queueClick(window->button(0));
            } else if (t.pieceInHand() < 0) {
                queueClick(window->stack());
            } else {
                const int choice = int(random.bounded(20));
                if (choice < 12)
                    queueClick(window->cell(t.pieceInHand()));
                else if (choice < 17)
                    queueClick(randomCell());
                else if (choice < 19)
                    queueClick(window->button(2)); // the hint
                // else: hesitate, the time may run out
            }
        });
        connect(&storm, &QTimer::timeout, this, [&] {
            PuzzleTable& t = table();
            switch (random.bounded(12)) {
            case 0: queueClick(randomCell(), 2); break;
            case 1: queueClick(window->stack()); break;
            case 2: queueClick(window->stack(), 2); break;
            case 3:
                if (t.pieceInHand() >= 0 && t.pieceInHand() < pieces())
                    queueClick(window->cell(t.pieceInHand()), 2);
                break;
            case 4: queueClick(window->button(2)); break;
            case 5:
                if (random.bounded(60) == 0) { // End, now and then
                    abandoned += t.gameIdle ? 0 : 1;
                    queueClick(window->button(1));
                }
                break;
            case 6: queueClick(window->button(0)); break;
            default: break; // a quiet moment
            }
        });
        player.start(30);
        storm.start(12);
        for (int round = 0; round < 4; ++round) {
            shared().playerCount = 1 + round % 4;
            shared().autoDraw = round % 2 == 1;
            const int before = finished;
            QVERIFY2(runUntil([&] { return finished > before; }, 20000),
                     qPrintable(QStringLiteral("round %1 never finished").arg(round)));
        }
        player.stop();
        storm.stop();
        QVERIFY(runUntil([this] { return !table().procedureRunning(); }, 3000));
        QVERIFY2(watch.problems.isEmpty(), qPrintable(watch.problems.join(u'\n')));
        QVERIFY2(unfinishedEnds.isEmpty(), qPrintable(unfinishedEnds.join(u'\n')));
        QVERIFY(watch.checks > 100);
        QVERIFY(!ended);
        qInfo("%d games finished, %d abandoned, invariant checked %d times", finished, abandoned, watch.checks);
    }

    void inputPastAModalDialogIsDroppedAndTheClockOnlyGrowsItsBar()
    {
        // The game's clock stands still until the dialog is up, then jumps past the time-out.
        qint32 now = 1000000;
        setTickSource([&] { return now; });
        shared().autoDraw = false;
        shared().useJokers = false; // a drawn joker would lay itself
        table().buttonPressed(0); // start
        QVERIFY(runUntil([this] { return !table().gameIdle && table().stackCell.enabled && !table().procedureRunning(); }, 3000));
        pressAsAScreenReader(window->stack());
        QVERIFY(runUntil([this] { return table().pieceInHand() >= 0 && !table().procedureRunning(); }, 3000));
        const int piece = table().pieceInHand();
        const int other = piece == 0 ? 1 : 0;
        const int player = table().currentPlayer;

        // A dialog opened outside any procedure, as a message may be; a screen
        // reader's Press reaches the window behind it all the same.
        QDialog dialog(window.get());
        dialog.setModal(true);
        int inHand = -2;
        int wrongTries = -1;
        bool placed = false;
        qint32 elapsed = 0;
        QTimer::singleShot(50, &dialog, [&] {
            pressAsAScreenReader(window->cell(other));
            pressAsAScreenReader(window->cell(piece));
            queueClick(window->button(2)); // the hint would lay the piece
            now += 14000; // the time-out is due
            QTest::qWait(1200); // the move clock ticks twice or more
            inHand = table().pieceInHand();
            wrongTries = table().game().wrongTries();
            placed = table().game().placed(piece);
            elapsed = table().game().turnHalfSeconds();
            dialog.accept();
        });
        dialog.exec();
        QCOMPARE(inHand, piece);   // neither laid, nor sent back by the clock
        QCOMPARE(wrongTries, 0);
        QVERIFY(!placed);
        QVERIFY2(elapsed > 20, qPrintable(QString::number(elapsed))); // the bar went on growing
        // Once the dialog is gone, the time-out comes with the next tick.
        QVERIFY(runUntil([&] { return table().pieceInHand() == -1 && table().currentPlayer != player; }, 3000));
    }

    void inputWhileATimersErrorIsReportedIsDropped()
    {
        // The idle animation on a board larger than the window has cells: its step raises 9.
        test::ScriptedReporter reporter;
        reporter.then = ErrorAnswer::Leave;
        bool busy = false;
        reporter.whileShown = [&] {
            busy = table().procedureRunning();
            table().buttonPressed(0); // the start button, pressed while the report is up
            table().idleTimer().stop();
        };
        shared().boardRows = 100;
        shared().boardCols = 100;
        QVERIFY(runUntil([&] { return !reporter.reports.isEmpty(); }, 3000));
        QCOMPARE(reporter.reports.first().number, int(ErrSubscript));
        QVERIFY(busy);
        QVERIFY(table().gameIdle); // no game was started behind the report
    }
};

TESSARON_TEST_MAIN(TestStrayClicks)
#include "test_stray_clicks.moc"
