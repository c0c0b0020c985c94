// The game window draws the table's state and forwards clicks. Run a second
// time with QT_SCALE_FACTOR=2 to check that it stays crisp on dense screens.

#include "controls/ImageControl.h"
#include "controls/PictureButton.h"
#include "window/PuzzleWindow.h"
#include "support/WindowFixture.h"
#include "language/Language.h"
#include "resources/Resources.h"
#include "settings/SharedState.h"
#include "support/RecordingEffects.h"
#include "support/TestEnvironment.h"
#include "util/ProgramEnd.h"

#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QSignalSpy>
#include <QToolButton>

using namespace tess;

namespace {

// How many neighbouring device-pixel columns differ: a picture merely blown
// up from logical pixels would repeat every column twice.
double distinctColumnPairs(const QImage& image)
{
    int differing = 0;
    int pairs = 0;
    for (int x = 0; x + 1 < image.width(); x += 2) {
        ++pairs;
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != image.pixel(x + 1, y)) {
                ++differing;
                break;
            }
        }
    }
    return pairs ? double(differing) / pairs : 0;
}

// The mean step between horizontal neighbours: how much detail a picture shows.
double detail(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x + 1 < image.width(); ++x)
            sum += qAbs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y)));
    return sum / (image.height() * std::max(1, image.width() - 1));
}

} // namespace

class TestPuzzleWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<PuzzleWindow> window;

private Q_SLOTS:
    void init()
    {
        window = test::loadedWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->table().greetOnActivation();
    }
    void cleanup()
    {
        window.reset();
        setProgramEnder({});
    }

    void theClientAreaIsFourToThreeAndAsLargeAsFits()
    {
        QCOMPARE(PuzzleWindow::clientSizeFor(QRect(0, 0, 1280, 1024), QMargins(4, 32, 4, 4)), QSize(1272, 954));
        QCOMPARE(PuzzleWindow::clientSizeFor(QRect(0, 0, 1920, 1040), QMargins(4, 32, 4, 4)), QSize(1338, 1004));
        const QSize size = window->size();
        QVERIFY(qAbs(size.width() * 3 - size.height() * 4) <= 4);
    }

    void theWidgetsStandWhereTheTableSays()
    {
        const PuzzleTable& table = window->table();
        QVERIFY(table.layoutDone);
        QCOMPARE(table.metrics.clientWidth, window->width());
        for (int n = 0; n < 20; ++n) {
            QCOMPARE(window->cell(n)->geometry(), table.boardCells[std::size_t(n)].geometry);
            QVERIFY(window->cell(n)->isVisible());
            QVERIFY(window->cell(n)->hasBorder());
        }
        QVERIFY(!window->cell(20)->isVisible());
        QVERIFY(!window->stack()->isVisible());
        QVERIFY(window->preview()->isVisible());
        QCOMPARE(window->preview()->geometry(), table.previewCell.geometry);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(window->button(i)->geometry(), table.toolButtons[std::size_t(i)].geometry);
            QCOMPARE(window->button(i)->toolTip(), table.toolButtons[std::size_t(i)].tip);
        }
        QCOMPARE(window->button(0)->toolTip(), QStringLiteral("Spiel starten"));
        QVERIFY(!window->button(2)->isEnabled());
        QCOMPARE(window->playerLabel(3)->text(), QStringLiteral("Vodez"));
        QVERIFY(window->scoreBox(3)->isVisible());
        QCOMPARE(window->flag(4)->geometry(), table.languageFlags[4].geometry);
    }

    void theActivePlayerIsBlackOnGold()
    {
        const PuzzleTable& table = window->table();
        const int active = table.currentPlayer;
        const QLabel* label = window->playerLabel(active);
        QCOMPARE(label->palette().color(QPalette::Window), QColor(255, 204, 0));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        const QLabel* other = window->playerLabel((active + 1) % 4);
        QCOMPARE(other->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(other->palette().color(QPalette::WindowText), QColor(255, 204, 0));
    }

    void playersNamesAreShownAsTyped()
    {
        // A name that looks like markup is shown, and spoken, as the characters it is.
        const QString picture = test::writeTempFile("marker.png", QByteArray());
        const QStringList names = {QStringLiteral("<b>x</b>"), QStringLiteral("<img src=%1>").arg(picture)};
        shared().playerCount = 2;
        shared().names[0] = names[0];
        shared().names[1] = names[1];
        window->table().arrangePlayerPanels();
        for (int i = 0; i < 2; ++i) {
            QLabel* label = window->playerLabel(i);
            QCOMPARE(label->text(), names[i]);
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(label);
            QVERIFY(spoken);
            QCOMPARE(spoken->text(QAccessible::Name), names[i]);
        }
        QAccessibleInterface* score = QAccessible::queryAccessibleInterface(window->scoreBox(0));
        QVERIFY(score && score->text(QAccessible::Name).startsWith(names[0]));
    }

    void theBackgroundShowsFrameAndGrid()
    {
        const QPixmap background = window->grab();
        QCOMPARE(background.devicePixelRatio(), window->devicePixelRatioF());
        const QImage image = background.toImage();
        const PuzzleTable& table = window->table();
        const qreal ratio = background.devicePixelRatio();
        // The gold frame shows around the board.
        // The frame reaches 17.5 f beyond the board: look half way into it.
        const QRect board = table.boardCells[0].geometry;
        const int into = qMax(2, int(8.75 * table.layoutScale));
        const QColor frame = image.pixelColor(int((board.x() - into) * ratio), int((board.y() + 40) * ratio));
        QVERIFY2(frame.red() > 150 && frame.green() > 100 && frame.blue() < 120,
                 qPrintable(QStringLiteral("%1 at %2,%3 of %4x%5, ratio %6")
                                .arg(frame.name())
                                .arg(board.x() - into)
                                .arg(board.y() + 40)
                                .arg(window->width())
                                .arg(window->height())
                                .arg(ratio)));
        // The area left of the board below the preview is black.
        const QColor empty = image.pixelColor(int(5 * ratio), int((table.stackCell.geometry.bottom() + 5) * ratio));
        QCOMPARE(empty, QColor(Qt::black));
    }

    void theBackgroundIsTheSameAfterItsArtLeftMemory()
    {
        // The art goes a second after it was last drawn; the background drawn
        // later comes from the art read again, and looks the same.
        // The banner and the frame's left edge: art, and no control on them.
        const QRect board = window->table().boardCells[0].geometry;
        const QRect banner(0, 0, window->width(), int(30 * window->table().layoutScale));
        const QRect frameEdge(board.x() - 8, board.y(), 6, board.height());
        const QImage bannerBefore = window->grab(banner).toImage();
        const QImage frameBefore = window->grab(frameEdge).toImage();
        QTest::qWait(1300);
        window->repaint();
        QCOMPARE(window->grab(banner).toImage(), bannerBefore);
        QCOMPARE(window->grab(frameEdge).toImage(), frameBefore);
    }

    void picturesAreCrispOnDenseScreens()
    {
        const QPixmap shot = window->cell(0)->grab();
        const qreal ratio = window->devicePixelRatioF();
        QCOMPARE(shot.size(), window->cell(0)->size() * ratio);
        if (ratio < 2)
            QSKIP("run with QT_SCALE_FACTOR=2 for the dense-screen check");
        QVERIFY2(distinctColumnPairs(shot.toImage()) > 0.3, "the cell was blown up, not drawn at full resolution");
        QVERIFY2(distinctColumnPairs(window->scoreBox(0)->grab().toImage()) > 0.3, "the digits were blown up");
        QVERIFY2(distinctColumnPairs(window->flag(1)->grab().toImage()) > 0.3, "the flag was blown up");
        // The banner across the top comes from the double-size art: sharper
        // than the plain art blown up to the same device pixels.
        const QRect banner(0, 0, window->width(), int(45 * window->table().layoutScale));
        const QImage shown = window->grab(banner).toImage();
        const QImage blownUp = loadArt(QStringLiteral("logo.png")).scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(detail(shown) > 1.3 * detail(blownUp), qPrintable(QStringLiteral("%1 against %2").arg(detail(shown)).arg(detail(blownUp))));
    }

    void palettedPicturesAreAveragedWhenScaled()
    {
        // Black and white pixels in turn, in a picture of two colours: at half
        // the size each pixel stands for two of each, so it is grey.
        QImage board(64, 64, QImage::Format_Indexed8);
        board.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                board.setPixel(x, y, uint((x + y) % 2));
        const QImage half = smoothlyScaled(board, QSize(32, 32));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                QVERIFY2(qAbs(qGray(half.pixel(x, y)) - 128) < 24, qPrintable(QStringLiteral("%1,%2: %3").arg(x).arg(y).arg(qGray(half.pixel(x, y)))));
        // The preview and the board's cells show such scaled copies.
        ImageControl control;
        control.setPicture(board, 1);
        control.resize(QSize(32, 32) / control.devicePixelRatioF()); // 32 device pixels
        const QImage shown = control.grab().toImage();
        const QColor middle = shown.pixelColor(shown.width() / 2, shown.height() / 2);
        QVERIFY2(qAbs(middle.red() - 128) < 24, qPrintable(middle.name()));
    }

    void clicksOnEnabledCellsAreForwarded()
    {
        QSignalSpy clicked(window.get(), &PuzzleWindow::cellClicked);
        QTest::mouseClick(window->cell(7), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.first().first().toInt(), 7);
        window->table().boardCells[7].enabled = false;
        window->table().setListener(nullptr); // a stale view must not crash anything
        window->cell(7)->setEnabled(false);
        QTest::mouseClick(window->cell(7), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
    }

    void toolButtonsAndFlagsAreForwarded()
    {
        QSignalSpy pressed(window.get(), &PuzzleWindow::buttonPressed);
        QSignalSpy flagged(window.get(), &PuzzleWindow::flagClicked);
        QTest::mouseClick(window->button(5), Qt::LeftButton);
        QTest::mouseClick(window->flag(4), Qt::LeftButton);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.first().first().toInt(), 5);
        QCOMPARE(flagged.first().first().toInt(), 6);
    }

    void aButtonShowsItsFocusItsPressAndWhetherItActs()
    {
        QImage square(20, 20, QImage::Format_ARGB32);
        square.fill(Qt::red);
        PictureButton button;
        button.setIcon(QIcon(QPixmap::fromImage(square)));
        button.setIconSize(QSize(24, 24));
        button.resize(24, 24);
        button.show();
        button.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&button));
        const QColor ring(0, 200, 255);
        const auto isRed = [](const QColor& colour) { return colour.red() > 200 && colour.green() < 60 && colour.blue() < 60; };
        QImage shown;
        // The colour at a point of the button, on a dense screen too (the run with QT_SCALE_FACTOR=2).
        const auto at = [&shown](int x, int y) {
            const qreal ratio = shown.devicePixelRatio();
            return shown.pixelColor(int(x * ratio), int(y * ratio));
        };

        button.clearFocus();
        shown = button.grab().toImage();
        QVERIFY(isRed(at(2, 2)) && isRed(at(21, 21)) && !isRed(at(22, 22)));
        QVERIFY(at(0, 0) != ring);

        button.setFocus();
        QVERIFY(button.hasFocus());
        shown = button.grab().toImage();
        // A ring two pixels wide all round, the picture inside it.
        for (const QPoint edge : {QPoint(0, 0), QPoint(1, 1), QPoint(23, 12), QPoint(22, 23), QPoint(12, 0)})
            QCOMPARE(at(edge.x(), edge.y()), ring);
        QVERIFY(isRed(at(12, 12)));

        // Held down, the picture moves a pixel right and down.
        button.clearFocus();
        button.setDown(true);
        shown = button.grab().toImage();
        QVERIFY(!isRed(at(2, 2)) && isRed(at(22, 22)));
        button.setDown(false);

        button.setEnabled(false);
        shown = button.grab().toImage();
        QVERIFY(!isRed(at(12, 12)));
    }

    void activationFollowsTheGamesOwnDialogsOnly()
    {
        window.reset();
        test::RecordingEffects effects;
        window = std::make_unique<PuzzleWindow>();
        window->table().load();
        shared().playMusic = false;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_COMPARE(effects.count(102), 1); // the first activation

        // A message box closing over the window is no activation ...
        QTimer::singleShot(50, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        QMessageBox::information(window.get(), QStringLiteral("Tessaron"), QStringLiteral("Note"));
        QTest::qWait(50);
        QCOMPARE(effects.count(102), 1);

        // ... but one of the game's dialogs closing is.
        QDialog dialog(window.get());
        QTimer::singleShot(50, &dialog, &QDialog::accept);
        dialog.exec();
        QTRY_COMPARE(effects.count(102), 2);
    }

    void closingTheWindowEndsTheProgram()
    {
        bool ended = false;
        setProgramEnder([&] { ended = true; });
        window->close();
        QVERIFY(ended);
    }
};

TESSARON_TEST_MAIN(TestPuzzleWindow)
#include "test_puzzle_window.moc"
