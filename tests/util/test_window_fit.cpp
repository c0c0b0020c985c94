// Windows inside the work area: where a frame goes, how large a window may
// be, and dialogs placed by the watcher main installs.

#include "language/HelpWindow.h"
#include "support/TestEnvironment.h"
#include "util/WindowFit.h"

#include <QDialog>
#include <QScreen>

using namespace tess;

class TestWindowFit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { WindowFit::install(); }

    void aFrameIsCentredOnItsWindowAndKeptInsideTheWorkArea()
    {
        const QRect work(0, 0, 1024, 720); // a 48-pixel panel below
        // Centred on the game window.
        QCOMPARE(placedFrame(QSize(400, 300), QRect(100, 0, 920, 720), work), QRect(360, 210, 400, 300));
        // A game window near an edge: the dialog stays whole, past no edge.
        QCOMPARE(placedFrame(QSize(400, 300), QRect(-300, -100, 500, 400), work).topLeft(), QPoint(0, 0));
        QCOMPARE(placedFrame(QSize(400, 300), QRect(900, 600, 500, 400), work).bottomRight(), QPoint(1023, 719));
        // A work area that does not start at 0,0 (a panel at the top or left).
        QCOMPARE(placedFrame(QSize(400, 300), QRect(0, 0, 100, 100), QRect(64, 32, 960, 736)).topLeft(), QPoint(64, 32));
        // Larger than the work area: the title bar stays on screen.
        QCOMPARE(placedFrame(QSize(1100, 800), QRect(0, 0, 1024, 720), work).topLeft(), QPoint(0, 0));
    }

    void dialogsOpenCentredOnTheirWindowInsideTheWorkArea()
    {
        const QRect work = workArea();
        QWidget game;
        game.setGeometry(work.x() + 10, work.y() + 10, work.width() / 2, work.height() / 2);
        game.show();
        QVERIFY(QTest::qWaitForWindowExposed(&game));
        for (const QPoint& asked : {QPoint(0, -40), QPoint(work.right() - 20, work.bottom() - 20)}) {
            QDialog dialog(&game);
            dialog.setFixedSize(300, 200);
            dialog.move(asked); // where Qt or the window system may first put it
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            const QRect frame(dialog.pos(), dialog.size().grownBy(windowFrame(&dialog)));
            QVERIFY2(work.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
            QVERIFY(qAbs(frame.center().x() - game.frameGeometry().center().x()) <= 2);
        }
    }

    void theHelpWindowFitsASmallScreen()
    {
        HelpWindow* help = HelpWindow::showHelp(1000);
        QVERIFY(help);
        const QMargins frame = windowFrame(help);
        QVERIFY(help->height() + frame.top() + frame.bottom() <= workArea(help).height());
        QVERIFY(help->height() <= 760);
        help->close();
    }
};

TESSARON_TEST_MAIN(TestWindowFit)
#include "test_window_fit.moc"
