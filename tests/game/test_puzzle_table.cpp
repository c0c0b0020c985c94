// The game window's load, activation, layout and closing, without a window.

#include "game/PuzzleTable.h"
#include "language/Language.h"
#include "resources/BackSides.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "support/RecordingEffects.h"
#include "support/ScriptedReporter.h"
#include "support/TestEnvironment.h"
#include "util/Paths.h"
#include "util/ProgramEnd.h"
#include "util/Wait.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace tess;

namespace {

void resetShared()
{
    shared() = SharedState{};
}

void installPictureFolder()
{
    QDir().mkpath(test::programFolder() + "/pics");
    QFile::copy(QStringLiteral(TESSARON_SOURCE_DIR "/pics/puzzle01.jpg"), test::programFolder() + "/pics/puzzle01.jpg");
    QFile::copy(QStringLiteral(TESSARON_SOURCE_DIR "/pics/puzzle03.bmp"), test::programFolder() + "/pics/puzzle03.bmp");
}

int jokerMarks(const PuzzleTable& table)
{
    int marks = 0;
    for (const ImageState& cell : table.boardCells)
        marks += cell.face == Face::Joker;
    return marks;
}

} // namespace

class TestPuzzleTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        resetShared();
        shared().playMusic = false;
        writeLanguageTable();
    }
    void cleanup() { setProgramEnder({}); }

    void aFirstLoadHasEveryDefault()
    {
        PuzzleTable table;
        table.load();
        const SharedState& s = shared();
        QCOMPARE(s.playSounds, true);
        QCOMPARE(s.playMusic, true);
        QCOMPARE(s.repeatSong, false);
        QCOMPARE(s.useJokers, true);
        QCOMPARE(s.showGrid, true);
        QCOMPARE(s.autoDraw, false);
        QCOMPARE(s.frameColour, FrameColour::Gold);
        QCOMPARE(s.showPreview, true);
        QCOMPARE(s.timeLimit, true);
        QCOMPARE(s.offerHints, true);
        QCOMPARE(s.playerCount, 4);
        QCOMPARE(s.sizeIndex, 1);
        QCOMPARE(s.boardRows, 4);
        QCOMPARE(s.boardCols, 5);
        QCOMPARE(s.pictureSource, PictureSource::BuiltIn);
        QCOMPARE(s.pictureNumber, 101);
        QCOMPARE(s.backSide, 9);
        QCOMPARE(s.names, (std::array<QString, 4>{"Reridu", "Zavaro", "Vedave", "Vodez"}));
        QVERIFY(s.gameWindowLoaded);
        QCOMPARE(table.gameIdle, true);
        QCOMPARE(table.backColor, QColor(Qt::black));
        QCOMPARE(table.pieceCutter.picture(), carriedPicture(201));
        QCOMPARE(table.previewPicture, carriedPicture(201));
        QCOMPARE(table.backPicture, backSideCutter().cell(9));
        for (std::size_t n = 1; n < 300; ++n) {
            QVERIFY(!table.boardCells[n].visible);
            QCOMPARE(table.boardCells[n].border, true);
        }
        QVERIFY(!table.stackCell.visible);
        QVERIFY(!table.toolButton(ToolButton::Hint).enabled); // no hint without a piece in hand
    }

    void aChosenBuiltInPictureIsLoaded()
    {
        saveIntegerSetting(keys::pictureNumber, 103);
        PuzzleTable table;
        table.load();
        QCOMPARE(table.pieceCutter.picture(), carriedPicture(203));
    }

    void aMissingPictureFileFallsBackToPuzzle01()
    {
        installPictureFolder();
        saveIntegerSetting(keys::pictureSource, 1);
        saveSetting(keys::pictureFile, QStringLiteral("gone.jpg"));
        PuzzleTable table;
        table.load();
        QCOMPARE(shared().pictureFile, programFolder() + "pics/puzzle01.jpg");
        const QImage fallback = loadPictureFile(programFolder() + "pics/puzzle01.jpg");
        QCOMPARE(table.pieceCutter.picture(), fallback);
        QCOMPARE(table.previewPicture, fallback);
    }

    void aPictureNameLeavingTheFolderOrNamingAFifoFallsBackToPuzzle01()
    {
        installPictureFolder();
        // A FIFO beside the program folder and one inside the picture folder:
        // reading either would hang every start.
        QCOMPARE(::mkfifo(QFile::encodeName(test::rootFolder() + "/fifo").constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(programFolder() + "pics/fifo.jpg").constData(), 0600), 0);
        QFile::copy(programFolder() + "pics/puzzle03.bmp", test::rootFolder() + "/outside.bmp");
        const QImage fallback = loadPictureFile(programFolder() + "pics/puzzle01.jpg");
        for (const QString& name : {QStringLiteral("../../fifo"), QStringLiteral("fifo.jpg"), test::rootFolder() + "/outside.bmp",
                                    QStringLiteral("..")}) {
            saveIntegerSetting(keys::pictureSource, 1);
            saveSetting(keys::pictureFile, name);
            PuzzleTable table;
            table.load();
            QCOMPARE(shared().pictureFile, programFolder() + "pics/puzzle01.jpg");
            QCOMPARE(table.pieceCutter.picture(), fallback);
        }
    }

    void anExistingPictureFileIsLoaded()
    {
        installPictureFolder();
        saveIntegerSetting(keys::pictureSource, 1);
        saveSetting(keys::pictureFile, QStringLiteral("puzzle03.bmp"));
        PuzzleTable table;
        table.load();
        QCOMPARE(shared().pictureFile, programFolder() + "pics/puzzle03.bmp");
        QCOMPARE(table.pieceCutter.picture(), loadPictureFile(programFolder() + "pics/puzzle03.bmp"));
    }

    void withoutAGridTheCellsHaveNoBorder()
    {
        saveIntegerSetting(keys::showGrid, 0);
        PuzzleTable table;
        table.load();
        for (const ImageState& cell : table.boardCells)
            QCOMPARE(cell.border, false);
    }

    void anEmptyNameGivesTheDefaultName()
    {
        saveSetting(keys::player1Name, QStringLiteral("Anna"));
        saveSetting(keys::player2Name, QString());
        PuzzleTable table;
        table.load();
        QCOMPARE(shared().names[0], QStringLiteral("Anna"));
        QCOMPARE(shared().names[1], QStringLiteral("Zavaro"));
    }

    void settingsOutsideTheirValuesLoadTheDefaultsWithoutAnError()
    {
        saveSetting(keys::pictureSource, QStringLiteral("x"));
        saveIntegerSetting(keys::playerCount, 5);
        saveIntegerSetting(keys::sizeIndex, -32768);
        saveIntegerSetting(keys::backSide, 10);
        test::ScriptedReporter reporter;
        PuzzleTable::decodeChosenPictureAhead(); // at start, outside any trap
        finishDecodingAhead();
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        table.greetOnActivation();
        QCOMPARE(reporter.reports.size(), 0);
        QCOMPARE(table.pieceCutter.picture(), carriedPicture(201));
        QVERIFY(table.boardCells[19].visible && !table.boardCells[20].visible && table.playerLabels[3].visible); // 4 x 5, four players
        QCOMPARE(untoldResetSettings(), (QStringList{"Album", "Back", "Size", "numPlayers"}));
    }

    void activationPlaysTheClickOnceAndStoresTheLanguage()
    {
        test::RecordingEffects effects;
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        shared().language = 3000;
        table.greetOnActivation();
        QCOMPARE(effects.count(102), 1);
        QCOMPARE(effects.played.first(), (QPair<int, bool>(102, false)));
        QCOMPARE(readAppSetting("Tessaron", "Optionen", "Sprache", "none"), QStringLiteral("3000"));
        QCOMPARE(table.toolButtons[0].tip, QStringLiteral("Inizia la partita"));
        table.greetOnActivation();
        QCOMPARE(effects.count(102), 2);
    }

    void withoutSoundNothingPlays()
    {
        test::RecordingEffects effects;
        saveIntegerSetting(keys::playSounds, 0);
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        table.greetOnActivation();
        QVERIFY(effects.played.isEmpty());
    }

    void theLanguageStepSetsTipsAndMenus()
    {
        PuzzleTable table;
        table.load();
        shared().language = 0;
        table.applyLanguage();
        const QStringList tips = {"Spiel starten", "Spiel beenden", "Tipp", "Bild auswählen...",
                                  "Rückseite auswählen", "Puzzle speichern", "Gespeichertes Puzzle laden",
                                  "Optionen", "Champions anzeigen...", "Hilfe"};
        for (int i = 0; i < 10; ++i)
            QCOMPARE(table.toolButtons[std::size_t(i)].tip, tips[i]);
        QCOMPARE(table.menuCaptions, (std::array<QString, 3>{"Hilfe", "&Email an Marlpit...", "&Über..."}));
        shared().language = 1000;
        table.applyLanguage();
        QCOMPARE(table.toolButtons[9].tip, QStringLiteral("Help"));
    }

    void theFirstResizeLaysOutTheWindowAndLaterOnesNothing()
    {
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        QVERIFY(table.layoutDone);
        QCOMPARE(table.layoutScale, 0.9f);
        QCOMPARE(table.toolButtons[0].geometry, QRect(18, 645, 34, 34));
        QCOMPARE(table.boardCells[0].geometry, QRect(282, 203, 143, 134));
        QVERIFY(table.boardCells[19].visible);
        QVERIFY(!table.boardCells[20].visible);
        QCOMPARE(table.stackCell.geometry, QRect(62, 406, 143, 134));
        QCOMPARE(table.previewCell.geometry, QRect(3, 190, 258, 194));
        QCOMPARE(table.languageFlags[4].geometry, QRect(156, 727, 26, 16));
        const std::size_t painted = table.background.size();
        table.layOutOnce(1280, 960);
        QCOMPARE(table.toolButtons[0].geometry, QRect(18, 645, 34, 34));
        QCOMPARE(table.background.size(), painted);
    }

    void aWindowMadeSmallerBeforeAGameIsLaidOutAsIfItHadStartedSo()
    {
        // The desktop's frame was larger than expected: 1024 x 768 became 960 x 720.
        PuzzleTable fresh;
        fresh.load();
        fresh.layOutOnce(960, 720);
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        table.greetOnActivation(); // the players' panels are out
        QVERIFY(table.layOutAgain(960, 720));
        QCOMPARE(table.layoutScale, fresh.layoutScale);
        QCOMPARE(table.toolButtons[9].geometry, fresh.toolButtons[9].geometry);
        QCOMPARE(table.boardCells[19].geometry, fresh.boardCells[19].geometry);
        QCOMPARE(table.languageFlags[4].geometry, fresh.languageFlags[4].geometry);
        QCOMPARE(table.timeBar, fresh.timeBar);
        fresh.greetOnActivation();
        QCOMPARE(table.playerLabels[1].geometry, fresh.playerLabels[1].geometry);
        // Nothing of the first layout is left in the background.
        QCOMPARE(table.background.size(), fresh.background.size());
        for (std::size_t i = 0; i < table.background.size(); ++i)
            QCOMPARE(table.background[i].to, fresh.background[i].to);
        // During a game the layout stays.
        table.game().start();
        QVERIFY(!table.layOutAgain(800, 600));
        QCOMPARE(table.layoutScale, fresh.layoutScale);
    }

    void aNewBoardSizeEmptiesAndPlacesTheBoard()
    {
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        table.boardCells[3].face = Face::Piece;
        table.game().setPlaced(3, true);
        shared().boardRows = 12;
        shared().boardCols = 16;
        table.resizeBoard();
        QCOMPARE(table.pieceCutter.rows(), 12);
        QCOMPARE(table.pieceCutter.cols(), 16);
        QCOMPARE(table.boardCells[3].face, Face::Empty);
        QVERIFY(!table.game().placed(3));
        QVERIFY(table.boardCells[191].visible);
        QVERIFY(!table.boardCells[192].visible);
        QCOMPARE(table.boardCells[191].geometry, QRect(957, 698, 45, 45));
        shared().boardRows = 3;
        shared().boardCols = 4;
        table.resizeBoard();
        QVERIFY(!table.boardCells[12].visible);
        QVERIFY(!table.boardCells[191].visible);
    }

    void playerPanelsFollowTheNumberOfPlayers()
    {
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        shared().playerCount = 2;
        table.game().setCurrentPlayer(0);
        table.arrangePlayerPanels();
        QVERIFY(table.playerLabels[0].visible && table.playerLabels[1].visible);
        QVERIFY(!table.playerLabels[2].visible && !table.scoreBoxes[2].visible);
        QCOMPARE(table.playerLabels[1].geometry, QRect(425, 63, 130, 23));
        QCOMPARE(table.currentPlayer, 1); // the turn passes on at every layout
        QVERIFY(table.playerLabels[1].active && !table.playerLabels[0].active);
        table.arrangePlayerPanels();
        QCOMPARE(table.currentPlayer, 0);

        shared().playerCount = 1;
        shared().language = 0;
        table.arrangePlayerPanels();
        QCOMPARE(table.playerLabels[0].text, QStringLiteral("Punkte"));
        QCOMPARE(table.playerLabels[0].geometry.topLeft(), QPoint(315, 76));
        QVERIFY(!table.playerLabels[1].visible);
        QCOMPARE(table.currentPlayer, 0); // one player keeps the turn
        QVERIFY(table.playerLabels[0].active);

        shared().playerCount = 5;
        test::ScriptedReporter reporter;
        table.arrangePlayerPanels();
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports[0].number, 9);
    }

    void scoresAreDrawnAsSixDigits()
    {
        test::RecordingEffects effects;
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        effects.played.clear();
        table.showScore(140, 2);
        QCOMPARE(table.scoreBoxes[2].digits, QStringLiteral("000140"));
        const int step = table.scoreBoxes[0].geometry.width() / 6; // 123 \ 6 = 20
        QCOMPARE(step, 20);
        QCOMPARE(table.scoreBoxes[2].x, (std::array<int, 6>{2, 22, 42, 62, 82, 102}));
        QCOMPARE(effects.played, (QList<QPair<int, bool>>{{125, true}}));
        table.showScore(0, 1);
        QCOMPARE(table.scoreBoxes[1].digits, QStringLiteral("000000"));
        QCOMPARE(effects.played.last(), (QPair<int, bool>(111, false)));
        QCOMPARE(table.digitCutter.stretchX(), 16); // 0.9 x 18 = 16.2
        QCOMPARE(table.digitCutter.stretchY(), 24); // 0.9 x 27 = 24.3
    }

    void theIdleAnimationMarksOneCellAtATime()
    {
        PuzzleTable table;
        table.load();
        table.layOutOnce(1024, 768);
        table.greetOnActivation();
        QVERIFY(table.idleTimer().isActive());
        QCOMPARE(table.idleTimer().interval(), 300);
        waitSeconds(0.05);
        for (int i = 0; i < 4; ++i) {
            waitSeconds(0.3);
            QCOMPARE(jokerMarks(table), 1);
            QVERIFY(table.idleMarkedCell() >= 0 && table.idleMarkedCell() < 20);
        }
        // A finished picture disappears cell by cell.
        for (int n = 0; n < 20; ++n)
            table.boardCells[std::size_t(n)].face = Face::Piece;
        waitSeconds(0.65);
        int emptied = 0;
        for (int n = 0; n < 20; ++n)
            emptied += table.boardCells[std::size_t(n)].face == Face::Empty;
        QVERIFY(emptied >= 1);
        table.game().start();
        waitSeconds(0.35);
        QVERIFY(!table.idleTimer().isActive());
    }

    void closingWithMusicRemovesTheLanguageTableAndEnds()
    {
        bool ended = false;
        setProgramEnder([&] { ended = true; });
        PuzzleTable table;
        table.load();
        shared().playMusic = true;
        QVERIFY(QFile::exists(shared().languageTableFile));
        table.endProgram();
        QVERIFY(ended);
        QVERIFY(!QFile::exists(shared().languageTableFile));
    }

    void closingWithoutMusicKeepsTheLanguageTable()
    {
        bool ended = false;
        setProgramEnder([&] { ended = true; });
        PuzzleTable table;
        table.load();
        shared().playMusic = false;
        table.endProgram();
        QVERIFY(ended);
        QVERIFY(QFile::exists(shared().languageTableFile));
    }
};

TESSARON_TEST_MAIN(TestPuzzleTable)
#include "test_puzzle_table.moc"
