// The layout formulas, number by number, for two client areas. The expected
// values were worked out from the formulas by hand (with scale kept as a 32-bit
// float: 1024 x 0.9 / 1024 is 0.89999998, which decides some halves).

#include "table/Layout.h"
#include "settings/SharedState.h"
#include "support/TestEnvironment.h"

using namespace tess;

namespace {
const LayoutMetrics Small{1024, 768, 15};
const LayoutMetrics Large{1280, 960, 15};

// The panel's parts as the design's formulas place them, with the badge last.
std::vector<QRect> designParts(const LayoutMetrics& m, int players)
{
    const double f = m.scale(), k = m.fontScale(); // scale in double, as the layout keeps it
    std::vector<QRect> parts;
    const int step = near(870 * f / (players + 0.5));
    if (players == 1) {
        parts.emplace_back(QPoint(near(350 * f), near(85 * f)), DesignLabelSize);
        parts.emplace_back(QPoint(std::max(near(500 * f), parts[0].right() + 7), near(80 * f)), DesignScoreSize);
    }
    for (int i = 0; i < players && players > 1; ++i) {
        parts.emplace_back(near(125 * f + i * step), near(70 * f), near(130 * k), near(23 * k));
        parts.emplace_back(near(130 * f + i * step), near(100 * f), near(123 * k), near(30 * k));
    }
    parts.emplace_back(near(m.clientWidth - 100), near(50 + 15 * f), 100, 50);
    return parts;
}

// Whether every label and score box lies inside the panel's border, apart from
// the others, and the badge stands clear of the panel and of the rules below it.
QString whatTouches(const LayoutMetrics& m, const std::vector<QRect>& parts)
{
    const QRect& badge = parts.back();
    if (badge.left() < panelArea(m).right() + 1 || badge.top() + badge.height() + 1 > 148 * m.scale() - 1)
        return QStringLiteral("the badge");
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        if (!panelInside(m).adjusted(1, 1, -1, -1).contains(QRectF(parts[i]))) // a pixel to spare
            return QStringLiteral("part %1 and the border").arg(i);
        for (std::size_t j = i + 1; j + 1 < parts.size(); ++j)
            if (parts[i].adjusted(-1, -1, 1, 1).intersects(parts[j])) // touching or over
                return QStringLiteral("parts %1 and %2").arg(i).arg(j);
    }
    return {};
}
} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nearRoundsHalvesToEvenAndHalfTruncates()
    {
        QCOMPARE(near(2.5), 2);
        QCOMPARE(near(3.5), 4);
        QCOMPARE(near(-2.5), -2);
        QCOMPARE(near(37440.0), 37440); // i x clientWidth of the header grid passes 16 bits
        QCOMPARE(half(-23), -11);
        QCOMPARE(half(23), 11);
    }

    void boardSizeTable()
    {
        fillBoardSizes();
        const int rows[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        const int cols[] = {4, 5, 6, 8, 9, 10, 12, 13, 14, 16};
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(int(shared().boardSizes[std::size_t(i)].rows), rows[i]);
            QCOMPARE(int(shared().boardSizes[std::size_t(i)].cols), cols[i]);
        }
        QCOMPARE(int(shared().boardSizes[10].rows), 0);
        QCOMPARE(int(shared().boardSizes[10].cols), 0);
    }

    void scaleAndSizeCorrection()
    {
        QCOMPARE(Small.scale(), 0.9f);
        QCOMPARE(Large.scale(), 1.125f);
        QCOMPARE(Small.fontScale(), 1.0);
        QCOMPARE((LayoutMetrics{1024, 768, 12}).fontScale(), 0.8);
    }

    void windowAt1024x768()
    {
        const WindowLayout w = layoutWindow(Small);
        QCOMPARE(w.panelTop, 645);
        QCOMPARE(w.buttonSize, 34);
        const int lefts[] = {18, 56, 93, 131, 168};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(w.buttons[std::size_t(i)], QRect(lefts[i], 645, 34, 34));
            QCOMPARE(w.buttons[std::size_t(i + 5)], QRect(lefts[i], 686, 34, 34));
        }
        const int flags[] = {40, 69, 98, 127, 156};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w.flags[std::size_t(i)], QRect(flags[i], 727, 26, 16)); // shrunk to fit
        QCOMPARE(w.time, QRect(0, 136, 1, 6));
        QCOMPARE(w.copyright, QRect(924, 63, 100, 50));
        // the header grid: 30 upright lines, then 3 across
        QCOMPARE(w.paint[0].from, QPointF(34, 0));
        QCOMPARE(w.paint[1].from, QPointF(68, 0));
        QCOMPARE(w.paint[29].from, QPointF(1024, 0));
        QVERIFY(qAbs(w.paint[30].from.y() - 27.0) < 1e-5 && qAbs(w.paint[32].from.y() - 99.0) < 1e-5);
        QCOMPARE(w.paint[33].art, QStringLiteral("logo.png"));
    }

    void windowAt1280x960()
    {
        const WindowLayout w = layoutWindow(Large);
        QCOMPARE(w.panelTop, 806);
        QCOMPARE(w.buttonSize, 43);
        const int lefts[] = {22, 70, 117, 164, 211};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(w.buttons[std::size_t(i)], QRect(lefts[i], 806, 43, 43));
            QCOMPARE(w.buttons[std::size_t(i + 5)], QRect(lefts[i], 857, 43, 43));
        }
        const int flags[] = {51, 87, 123, 159, 195};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w.flags[std::size_t(i)], QRect(flags[i], 909, 32, 20));
        QCOMPARE(w.time, QRect(0, 170, 1, 6));
        QCOMPARE(w.copyright, QRect(1180, 67, 100, 50));
        QCOMPARE(w.paint[0].from, QPointF(42, 0));
        QCOMPARE(w.paint[28].from, QPointF(1237, 0));
        QCOMPARE(w.paint[33].target, QRectF(0, 0, 1280, 56.25));
    }

    void flagsStandApartInsideTheBoxAtEverySize()
    {
        // From a netbook to a large screen: the window sizes a work area gives.
        for (int width = 560; width <= 2600; width += 12) {
            const LayoutMetrics m{width, width * 3 / 4, 15};
            const WindowLayout w = layoutWindow(m);
            const BoardLayout board = layoutBoard(m, 4, 5, FrameColour::Black);
            const double innerBottom = board.paint[1].to.y();
            const int lastButtonRow = w.buttons[5].bottom();
            for (int i = 0; i < 5; ++i) {
                const QRect& flag = w.flags[std::size_t(i)];
                QVERIFY2(flag.bottom() + 2 < innerBottom, qPrintable(QStringLiteral("width %1 flag %2").arg(width).arg(i)));
                QVERIFY2(flag.top() > lastButtonRow + 2, qPrintable(QStringLiteral("width %1 flag %2").arg(width).arg(i)));
                if (i < 4)
                    QVERIFY2(flag.right() + 2 <= w.flags[std::size_t(i + 1)].left(), qPrintable(QStringLiteral("width %1 flag %2").arg(width).arg(i)));
            }
        }
    }

    void theOnePlayerScoreStandsBesideItsLabelAtEverySize()
    {
        for (int width = 560; width <= 2600; width += 12) {
            const PlayersLayout players = layoutPlayers(LayoutMetrics{width, width * 3 / 4, 15}, 1, QSize(130, 23), QSize(123, 30));
            QVERIFY2(players.labels[0].right() < players.scores[0].left(), qPrintable(QString::number(width)));
        }
    }

    void thePanelsPartsStandApartInsideItsBorder_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("players");
        // Client areas from a netbook to a large screen (4:3, as the window keeps
        // them); 772 is a 1024 x 600 screen under a title bar, 1276 a 1280 x 1024 one.
        const int widths[] = {560, 640, 702, 772, 840, 906, 944, 1024, 1276, 1280, 1600, 1920, 2600};
        for (const int width : widths)
            for (const int twips : {15, 12})
                for (int players = 1; players <= 4; ++players)
                    QTest::addRow("%d, %d twips, %d players", width, twips, players) << width << twips << players;
    }

    void thePanelsPartsStandApartInsideItsBorder()
    {
        QFETCH(int, width);
        QFETCH(int, twips);
        QFETCH(int, players);
        const LayoutMetrics m{width, width * 3 / 4, twips};
        const PlayersLayout layout = layoutPlayers(m, players, DesignLabelSize, DesignScoreSize);
        std::vector<QRect> parts;
        for (int i = 0; i < players; ++i) {
            parts.push_back(layout.labels[std::size_t(i)]);
            parts.push_back(layout.scores[std::size_t(i)]);
        }
        parts.push_back(layoutWindow(m).copyright);
        QVERIFY2(whatTouches(m, parts).isEmpty(), qPrintable(whatTouches(m, parts)));
        // Where the design keeps its parts apart, always from 1280 x 1024 on, it holds as it is.
        const std::vector<QRect> planned = designParts(m, players);
        const bool designHolds = whatTouches(m, planned).isEmpty();
        QVERIFY2(width < 1276 || designHolds, qPrintable(whatTouches(m, planned)));
        if (designHolds)
            QCOMPARE(parts, planned);
    }

    void boardAt1024x768()
    {
        const BoardLayout b = layoutBoard(Small, 4, 5, FrameColour::Gold);
        QCOMPARE(b.boardWidth, 714);
        QCOMPARE(b.boardLeft, 282);
        QCOMPARE(b.boardTop, 203);
        QCOMPARE(b.cellWidth, 143);
        QCOMPARE(b.cellHeight, 134);
        QCOMPARE(int(b.cells.size()), 20);
        QCOMPARE(b.cells[0], QRect(282, 203, 143, 134));
        QCOMPARE(b.cells[7], QRect(282 + 2 * 143, 203 + 134, 143, 134));
        QCOMPARE(b.cells[19], QRect(854, 605, 143, 134));
        QCOMPARE(QRect(b.frameLeft, b.frameTop, b.frameWidth, b.frameHeight), QRect(267, 188, 746, 567));
        QCOMPARE(b.preview, QRect(3, 190, 258, 194));
        QCOMPARE(b.stack, QRect(62, 406, 143, 134));
        QCOMPARE(b.paint[2].art, QStringLiteral("frame_gold.png"));
        QCOMPARE(b.paint[2].target, QRectF(267, 188, 746, 567));
        // the double box around the buttons
        QVERIFY(qAbs(b.paint[0].from.x() - 9.0) < 1e-5 && qAbs(b.paint[0].from.y() - 634.2) < 1e-4);
        QVERIFY(qAbs(b.paint[0].to.x() - 212.04) < 1e-4 && qAbs(b.paint[0].to.y() - 749.4) < 1e-4);
        QVERIFY(qAbs(b.paint[1].from.x() - 10.8) < 1e-5 && qAbs(b.paint[1].to.y() - 747.6) < 1e-4);

        const BoardLayout big = layoutBoard(Small, 12, 16, FrameColour::Black);
        QCOMPARE(big.cellWidth, 45);
        QCOMPARE(big.cellHeight, 45);
        QCOMPARE(int(big.cells.size()), 192);
        QCOMPARE(big.cells[191], QRect(957, 698, 45, 45));
        QCOMPARE(QRect(big.frameLeft, big.frameTop, big.frameWidth, big.frameHeight), QRect(267, 188, 751, 571));
        QCOMPARE(big.stack, QRect(111, 406, 45, 45));
        QCOMPARE(big.paint[2].art, QStringLiteral("frame_black.png"));
    }

    void boardAt1280x960()
    {
        const BoardLayout b = layoutBoard(Large, 4, 5, FrameColour::Gold);
        QCOMPARE(b.boardWidth, 893);
        QCOMPARE(b.boardLeft, 352);
        QCOMPARE(b.boardTop, 253);
        QCOMPARE(b.cellWidth, 179);
        QCOMPARE(b.cellHeight, 167);
        QCOMPARE(b.cells[19], QRect(1068, 754, 179, 167));
        QCOMPARE(QRect(b.frameLeft, b.frameTop, b.frameWidth, b.frameHeight), QRect(333, 234, 934, 707));
        QCOMPARE(b.preview, QRect(3, 236, 322, 242));
        QCOMPARE(b.stack, QRect(77, 506, 179, 167));

        const BoardLayout small = layoutBoard(Large, 3, 4, FrameColour::Gold);
        QCOMPARE(small.cellWidth, 223);
        QCOMPARE(small.cellHeight, 223);
        QCOMPARE(QRect(small.frameLeft, small.frameTop, small.frameWidth, small.frameHeight), QRect(333, 234, 931, 708));
        QCOMPARE(small.stack, QRect(55, 506, 223, 223));
    }

    void playersAt1024x768()
    {
        const PlayersLayout two = layoutPlayers(Small, 2, DesignLabelSize, DesignScoreSize);
        QCOMPARE(two.step, 313);
        QCOMPARE(two.labels[1], QRect(425, 63, 130, 23));
        QCOMPARE(two.scores[1], QRect(430, 90, 123, 30));
        const PlayersLayout three = layoutPlayers(Small, 3, DesignLabelSize, DesignScoreSize);
        QCOMPARE(three.step, 224);
        QCOMPARE(three.labels[2], QRect(560, 63, 130, 23));
        const PlayersLayout four = layoutPlayers(Small, 4, DesignLabelSize, DesignScoreSize);
        QCOMPARE(four.step, 174);
        QCOMPARE(four.labels[0], QRect(112, 63, 130, 23));
        QCOMPARE(four.labels[3], QRect(634, 63, 130, 23));
        QCOMPARE(four.scores[0], QRect(117, 90, 123, 30));
        QCOMPARE(four.scores[3], QRect(639, 90, 123, 30));
        const PlayersLayout one = layoutPlayers(Small, 1, DesignLabelSize, DesignScoreSize);
        QCOMPARE(one.shown, 1);
        QCOMPARE(one.labels[0], QRect(QPoint(315, 76), DesignLabelSize));
        QCOMPARE(one.scores[0], QRect(QPoint(450, 72), DesignScoreSize));
    }

    void playersAt1280x960()
    {
        const PlayersLayout four = layoutPlayers(Large, 4, DesignLabelSize, DesignScoreSize);
        QCOMPARE(four.step, 218);
        QCOMPARE(four.labels[3], QRect(795, 79, 130, 23));
        QCOMPARE(four.scores[3], QRect(800, 112, 123, 30));
        const PlayersLayout two = layoutPlayers(Large, 2, DesignLabelSize, DesignScoreSize);
        QCOMPARE(two.step, 392);
        QCOMPARE(two.labels[1], QRect(533, 79, 130, 23));
        const PlayersLayout one = layoutPlayers(Large, 1, QSize(130, 23), QSize(123, 30));
        QCOMPARE(one.labels[0], QRect(394, 96, 130, 23)); // keeps the size it had
        QCOMPARE(one.scores[0], QRect(562, 90, 123, 30));
    }

    void theBackgroundListStaysOneWindowLongOverManyGames()
    {
        std::vector<PaintOp> background;
        addPaint(background, layoutWindow(Large).paint);
        const std::size_t window = background.size();
        addPaint(background, layoutBoard(Large, 3, 4, FrameColour::Gold).paint);
        const std::size_t withBoard = background.size();
        for (int game = 0; game < 50; ++game) {
            addPaint(background, layoutBoard(Large, 3, 4, game % 2 == 1 ? FrameColour::Black : FrameColour::Gold).paint); // gold and black frames in turn
            addPaint(background, layoutWindow(Large).paint);          // a resize to the same size
        }
        QCOMPARE(background.size(), withBoard);
        const auto isFrame = [](const PaintOp& op) { return op.art.startsWith(u"frame"); };
        QCOMPARE(std::count_if(background.begin(), background.end(), isFrame), 1);
        QCOMPARE(std::find_if(background.begin(), background.end(), isFrame)->art, frameArt(FrameColour::Black)); // the last one
        QVERIFY(window < withBoard);
        // A line under a picture is left out, one beside it is kept.
        std::vector<PaintOp> lines{{PaintOp::Line, Qt::red, QPointF(10, 10), QPointF(20, 10), {}, {}},
                                   {PaintOp::Line, Qt::red, QPointF(300, 10), QPointF(310, 10), {}, {}}};
        addPaint(lines, {{PaintOp::Art, {}, {}, {}, QRectF(0, 0, 100, 100), QStringLiteral("panel.png")}});
        QCOMPARE(lines.size(), std::size_t(2));
        QCOMPARE(lines.front().from, QPointF(300, 10));
    }

    void largeFontsShrinkThePanels()
    {
        const LayoutMetrics large{1024, 768, 12};
        const PlayersLayout four = layoutPlayers(large, 4, DesignLabelSize, DesignScoreSize);
        QCOMPARE(four.labels[0].size(), QSize(104, 18)); // 0.8 x 130, 0.8 x 23 = 18.4
        QCOMPARE(four.scores[0].size(), QSize(98, 24));  // 0.8 x 123 = 98.4, 0.8 x 30
        const WindowLayout w = layoutWindow(large);
        // fontScale x buttonDesignWidth is 38 at 120 dots per inch too, so the buttons keep their spacing.
        const WindowLayout normal = layoutWindow(Small);
        for (std::size_t i = 0; i < 10; ++i)
            QCOMPARE(w.buttons[i].x(), normal.buttons[i].x());
    }
};

TESSARON_TEST_MAIN(TestLayout)
#include "test_layout.moc"
