// The saved game: the record byte for byte, the board rows as numbers, and
// games saved and loaded through the real procedures, damaged files refused.

#include "support/GameFixture.h"
#include "support/PieceCheck.h"
#include "table/SavedGame.h"
#include "support/ScriptedReporter.h"
#include "support/SmallDisk.h"
#include "util/Numbers.h"
#include "util/RowBits.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <sys/stat.h>

using namespace tess;
using tess::test::GameFixture;

namespace {

void writeFile(const QByteArray& bytes)
{
    QFile file(savedGamePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile()
{
    QFile file(savedGamePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lays the piece in hand on its own cell.
void layNext(GameFixture& game)
{
    game.draw();
    game.t().placePiece(game.t().pieceInHand());
}

// What a load must restore, to compare a table before and after.
struct Snapshot {
    QList<bool> placed;
    QList<int> stack;
    std::array<qint32, 4> scores{};
    std::array<QString, 4> names;
    bool idle = false;

    explicit Snapshot(const PuzzleTable& t)
    {
        for (int n = 0; n < shared().boardRows * shared().boardCols; ++n)
            placed << t.game().placed(n);
        stack = t.faceDownPieces();
        scores = t.game().scores();
        names = shared().names;
        idle = t.gameIdle;
    }
    bool operator==(const Snapshot&) const = default;
};

} // namespace

class TestSavedGame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsBecomeNumbersAndBack()
    {
        QCOMPARE(binaryToNumber(QStringLiteral("11010")), 26);
        QCOMPARE(numberToBinary(26), QStringLiteral("11010"));
        QCOMPARE(binaryToNumber(QString(16, u'1')), 65535);
        QCOMPARE(numberToBinary(65535), QString(16, u'1'));
        QCOMPARE(numberToBinary(0), QString());
        QCOMPARE(numberToBinary(-5), QString());
        QCOMPARE(binaryToNumber(QStringLiteral("1x1")), 5);
        QCOMPARE(binaryToNumber(QString(30, u'1')), (1 << 30) - 1);
        QCOMPARE(binaryToNumber(QString(31, u'1')), 0); // the classic arithmetic overflowed
    }

    void theRecordIsTheBytesWorkedOutByHand()
    {
        GameFixture game(2, 0); // 3 x 4
        shared().pictureNumber = 101;
        shared().pictureSource = PictureSource::BuiltIn;
        shared().pictureFile = QStringLiteral("pics/a.jpg");
        shared().timeLimit = true;
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("x"), QStringLiteral("y")};
        game.startWithStack({1, 3, 4, 5, 6, 7, 8, 9, 10, 11});
        game.t().game().setPlaced(0, true); // row 1: "1010"
        game.t().game().setPlaced(2, true);
        game.t().game().setScore(0, 150);
        game.t().game().setScore(1, 75);
        game.t().game().setJoker(1, true);
        game.t().saveGame();

        QByteArray expected = QByteArray::fromHex("6500" "0000" "0a00") + "pics/a.jpg" + QByteArray::fromHex("0100" "0000");
        expected += QByteArray::fromHex("00000000" "0a000000") + QByteArray(11 * 4, '\0');
        expected += QByteArray::fromHex("0200" "96000000" "4b000000" "00000000" "00000000");
        expected += QByteArray::fromHex("0400") + "Anna" + QByteArray::fromHex("0300") + "Ben" + QByteArray::fromHex("0000" "0000");
        expected += QByteArray::fromHex("0000" "0100") + QByteArray(19 * 2, '\0');
        QCOMPARE(expected.size(), 130 + 10 + 4 + 3);
        // After the record, the block of every piece's mark: 12 pieces, piece 1 a joker.
        expected += QByteArray("JOKR") + QByteArray::fromHex("0c00" "00" "01") + QByteArray(10, '\0');
        QCOMPARE(readFile(), expected);
    }

    void aGameSavedAndLoadedIsTheSameGame()
    {
        GameFixture game(3, 1); // 4 x 5
        shared().useJokers = false;     // every draw leaves a piece in hand
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), QString::fromUtf8("Chlo\u00e9"), QStringLiteral("x")};
        game.t().startGame();
        for (int i = 0; i < 5; ++i)
            layNext(game);
        game.draw(); // a piece in hand goes back to the stack on loading
        game.t().saveGame();
        const QByteArray first = readFile();
        game.t().placePiece(game.t().pieceInHand());
        game.t().saveGame(); // only the second state is kept
        QVERIFY(readFile() != first);
        const Snapshot saved(game.t());
        game.t().startGame(); // a new game in between
        game.t().loadGame();
        const Snapshot loaded(game.t());
        QCOMPARE(loaded.placed, saved.placed);
        QCOMPARE(loaded.scores, saved.scores);
        QCOMPARE(loaded.names, saved.names);
        QCOMPARE(loaded.idle, false);
        QCOMPARE(test::checkPieces(game.t(), game.pieces()), QString());
        QList<int> ascending = loaded.stack;
        std::sort(ascending.begin(), ascending.end());
        QCOMPARE(loaded.stack, ascending);
        for (int n = 0; n < game.pieces(); ++n) {
            const ImageState& cell = game.t().boardCells[std::size_t(n)];
            QCOMPARE(cell.enabled, !game.t().game().placed(n));
            if (!cell.enabled)
                QVERIFY(cell.face == Face::Piece && cell.piece == n);
        }
        QVERIFY(!game.t().toolButton(ToolButton::Start).enabled && game.t().toolButton(ToolButton::BackSide).enabled && !game.t().toolButton(ToolButton::Champions).enabled);
        QVERIFY(game.t().stackCell.visible && game.t().stackCell.enabled);
        QCOMPARE(game.t().playerLabels[2].text, QString::fromUtf8("Chlo\u00e9"));
        game.t().loadGame(); // loading again gives the same board
        QCOMPARE(Snapshot(game.t()), loaded);
    }

    void namesAndPicturePathsInAnyScriptComeBack()
    {
        GameFixture game(4, 0);
        // A photo in a folder "\u0141\u00f3d\u017a", named in four scripts.
        const QString folder = QDir(QDir::tempPath()).filePath(QString::fromUtf8("\u0141\u00f3d\u017a"));
        QVERIFY(QDir().mkpath(folder));
        const QString picture = folder + QString::fromUtf8("/caf\u00e9-\u00df-\u00f8-\u0142-\u03c6-\u9648.jpg");
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(Qt::darkGreen);
        QVERIFY(photo.save(picture, "JPG"));
        shared().pictureSource = PictureSource::File;
        shared().pictureFile = picture;
        const std::array<QString, 4> names = {QString::fromUtf8("\u0141ukasz"), QString::fromUtf8("\u039d\u03af\u03ba\u03bf\u03c2"),
                                              QString::fromUtf8("\u9648"), QString::fromUtf8("Zo\u00eb")};
        shared().names = names;
        game.t().startGame();
        game.t().saveGame();
        const QByteArray bytes = readFile();
        // Code page 1252 where it holds the name, byte for byte as before;
        // UTF-8 where it does not, its length counting bytes.
        QVERIFY(bytes.contains(QByteArray::fromHex("03005a6feb")));
        QVERIFY(bytes.contains(QByteArray::fromHex("0700") + names[0].toUtf8()));
        QVERIFY(bytes.contains(QByteArray::fromHex("0300") + names[2].toUtf8()));
        shared().pictureFile = QStringLiteral("elsewhere.jpg");
        shared().names = {};
        game.t().loadGame();
        QCOMPARE(shared().pictureFile, picture); // not the fall-back picture
        QCOMPARE(shared().names, names);
        QCOMPARE(game.t().pieceCutter.picture().pixelColor(10, 10).green() > 90, true);
    }

    void oldFilesInCodePage1252ReadAsBefore()
    {
        // Written by earlier versions: names and paths in code page 1252 only.
        SavedGame old;
        old.sizeIndex = 1;
        old.playerCount = 2;
        old.pictureFile = QString::fromUtf8("C:\\Bilder\\M\u00fcnchen \u20ac.jpg");
        old.names = {QString::fromUtf8("Chlo\u00e9"), QString::fromUtf8("\u0160pela"), QStringLiteral("x"), QString()};
        const QByteArray bytes = encodeSavedGame(old);
        QVERIFY(bytes.contains(QByteArray::fromHex("0500") + "Chlo\xe9"));
        QVERIFY(bytes.contains(QByteArray::fromHex("0500") + "\x8a" "pela"));
        QVERIFY(bytes.contains(QByteArray("M\xfcnchen \x80.jpg")));
        const std::optional<SavedGame> read = decodeSavedGame(bytes);
        QVERIFY(read);
        QCOMPARE(read->pictureFile, old.pictureFile);
        QCOMPARE(read->names, old.names);
    }

    void aFullRowOfSixteenAndEmptyRows()
    {
        GameFixture game(1, 9); // 12 x 16, one player
        game.t().startGame();
        for (int c = 0; c < 16; ++c)
            game.t().game().setPlaced(c, true);
        game.t().saveGame();
        const auto record = decodeSavedGame(readFile());
        QVERIFY(record);
        QCOMPARE(record->rowBits[1], 65535);
        QCOMPARE(record->rowBits[2], 0);
        QCOMPARE(record->playerCount, qint16(1));
        QCOMPARE(record->names[1], QString());
        game.t().loadGame();
        QCOMPARE(game.t().faceDownPieces().size(), 192 - 16);
        QCOMPARE(game.t().faceDownPieces().first(), 16);
        QCOMPARE(game.t().playerLabels[0].text, QStringLiteral("Punkte"));
    }

    void everyJokerComesBackWhereTheBlockFitsTheRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("jokers");
        GameFixture game(2, 9); // 12 x 16: the record keeps pieces 1 .. 19
        shared().useJokers = false;
        game.t().startGame();
        game.t().game().clearJokers();
        game.t().game().setJoker(5, true);
        game.t().game().setJoker(150, true);
        game.t().saveGame();
        const QByteArray good = readFile();
        SavedGame recordOnly = *decodeSavedGame(good);
        recordOnly.jokers.clear();
        const int block = int(encodeSavedGame(recordOnly).size());
        QCOMPARE(good.size(), block + 4 + 2 + 192);
        QCOMPARE(good.mid(block, 6), QByteArray("JOKR\xc0\x00", 6));
        const QList<int> both{5, 150};
        const QList<int> recordAlone{5};
        auto with = [&](int at, const QByteArray& replaced) { return QByteArray(good).replace(at, replaced.size(), replaced); };
        QTest::newRow("new file") << good << both;
        QTest::newRow("new file, bytes after the block") << good + "more" << both;
        QTest::newRow("old file") << good.left(block) << recordAlone;
        QTest::newRow("tag alone") << good.left(block + 4) << recordAlone;
        QTest::newRow("block cut short") << good.chopped(1) << recordAlone;
        QTest::newRow("a mark of 2") << with(block + 6 + 150, "\x02") << recordAlone;
        QTest::newRow("a count above the pieces") << with(block + 4, QByteArray("\xc1\x00", 2)) + "\x00" << recordAlone;
        QTest::newRow("a count of 30000") << with(block + 4, QByteArray("\x30\x75", 2)) << recordAlone;
        QTest::newRow("a negative count") << with(block + 4, QByteArray("\xff\xff", 2)) << recordAlone;
        QTest::newRow("a count below the pieces") << with(block + 4, QByteArray("\xbf\x00", 2)) << recordAlone;
        QTest::newRow("disagrees with the record") << with(block + 6 + 5, QByteArray(1, '\0')) << recordAlone;
        QTest::newRow("another tag") << with(block, "JOKE") << recordAlone;
    }

    void everyJokerComesBackWhereTheBlockFitsTheRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, jokers);
        GameFixture game(2, 9);
        shared().useJokers = false;
        game.t().startGame();
        game.t().game().setJoker(40, true); // an earlier game's mark never stays
        writeFile(bytes);
        game.t().loadGame();
        QCOMPARE(game.dialogs.informed, QStringList{});
        QList<int> marked;
        for (int n = 0; n < 192; ++n)
            if (game.t().game().isJoker(n))
                marked << n;
        QCOMPARE(marked, jokers);
    }

    // Cut anywhere, a file is refused, or read within the bytes it has, the
    // block only when whole.
    void everyCutOfANewFileIsReadWithinItsBytes()
    {
        GameFixture game(2, 0);
        game.t().startGame();
        game.t().game().setJoker(7, true);
        game.t().saveGame();
        const QByteArray good = readFile();
        for (qsizetype n = 0; n <= good.size(); ++n) {
            const std::optional<SavedGame> read = decodeSavedGame(good.left(n));
            if (!read)
                continue;
            QVERIFY(encodeSavedGame(*read).size() <= n);
            QCOMPARE(read->jokers.isEmpty(), n < good.size());
        }
        QCOMPARE(decodeSavedGame(good)->jokers.value(7), true);
    }

    void withAutomaticDrawALoadedGameTurnsAPieceOver()
    {
        GameFixture game(2, 0);
        game.t().startGame();
        game.t().saveGame();
        shared().autoDraw = true;
        shared().useJokers = false; // a joker drawn would lay itself, and Flip would draw again
        game.t().loadGame();
        QVERIFY(game.t().pieceInHand() >= 0);
        QCOMPARE(game.t().faceDownPieces().size(), 11);
    }

    void betweenGamesSaveAsksBeforeReplacingASavedGame()
    {
        GameFixture game(2, 0);
        game.t().startGame();
        layNext(game);
        game.t().saveGame();
        QVERIFY(game.dialogs.asked.isEmpty()); // during a game Save just saves
        const QByteArray hours = readFile();
        game.t().abandonGameOrQuit(); // back between games: the board is empty
        QVERIFY(game.t().gameIdle);

        game.t().saveGame(); // answered No, as Enter would
        QCOMPARE(game.dialogs.asked, QStringList{langText(178)});
        QCOMPARE(game.dialogs.defaults, QList<Dialogs::Answer>{Dialogs::Answer::No});
        QCOMPARE(readFile(), hours);

        game.dialogs.answers = {true};
        game.t().saveGame();
        QVERIFY(readFile() != hours);
        QVERIFY(QFile::remove(savedGamePath()));
        game.t().saveGame(); // nothing to lose: no question
        QCOMPARE(game.dialogs.asked.size(), 2);
        QVERIFY(QFile::exists(savedGamePath()));
    }

    void aLoadedGameWithEveryPieceLaidEndsAsAFinishedGame()
    {
        GameFixture game(1, 0);
        shared().useJokers = false;
        QString result;
        game.services.champions = [&] { result = shared().championScore; };
        game.t().startGame();
        while (game.t().faceDownPieces().size() > 0)
            layNext(game);
        // The game played to its end went to the champions, its score cleared.
        const qint32 points = result.toInt();
        QVERIFY(points > 0);
        QCOMPARE(game.t().game().scores()[0], 0);
        result.clear();
        // The same board saved (as an older version let it be) and loaded.
        game.t().game().setScore(0, points);
        game.t().game().start();
        game.t().saveGame();
        game.t().startGame();
        game.t().loadGame();
        QCOMPARE(result, paddedNumber(points, 5));
        QVERIFY(game.t().gameIdle);
        QVERIFY(!game.t().stackCell.visible);
        QVERIFY(game.t().toolButton(ToolButton::Start).enabled && game.t().toolButton(ToolButton::Champions).enabled);

        GameFixture pair(2, 0);
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), {}, {}};
        pair.t().startGame();
        while (pair.t().faceDownPieces().size() > 0)
            layNext(pair);
        pair.dialogs.informed.clear();
        pair.t().game().start();
        pair.t().saveGame();
        pair.t().loadGame();
        QCOMPARE(pair.dialogs.informed.size(), 1); // the winner, or the draw
        QVERIFY(pair.t().gameIdle && pair.t().toolButton(ToolButton::Start).enabled);
    }

    void aFullDiskKeepsTheSavedGameAndSaysSo()
    {
        GameFixture game(2, 0);
        const QString folder = QFileInfo(savedGamePath()).absolutePath();
        test::SmallDisk disk(folder, 256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        QDir(folder).mkpath("pics"); // the program's folder stays the one written
        QCOMPARE(QFileInfo(savedGamePath()).absolutePath(), folder);
        game.t().startGame();
        layNext(game);
        // A first save that fails leaves nothing that could stay as it was.
        disk.fill();
        game.t().saveGame();
        QCOMPARE(game.dialogs.informed, QStringList{langText(234) + "\n\n" + savedGamePath()});
        QVERIFY(!QFile::exists(savedGamePath()));
        disk.free();
        game.t().saveGame();
        const QByteArray kept = readFile();
        QVERIFY(kept.size() > 100);
        disk.fill();
        layNext(game);
        game.dialogs.informed.clear();
        game.t().saveGame();
        QCOMPARE(game.dialogs.informed, QStringList{langText(177) + "\n\n" + savedGamePath()});
        QCOMPARE(readFile(), kept);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "Quadrello.qdr"}));
        game.t().loadGame(); // the last game saved comes back whole
        QCOMPARE(game.t().faceDownPieces().size(), game.pieces() - 1);
    }

    void withoutAFileTheGameSaysSoAndNothingChanges()
    {
        GameFixture game(2, 0);
        game.t().startGame();
        const Snapshot before(game.t());
        game.t().loadGame();
        QCOMPARE(game.dialogs.informed, QStringList{langText(176)});
        QCOMPARE(game.dialogs.titles, QStringList{langText(118)});
        QVERIFY(Snapshot(game.t()) == before);
    }

    void damagedFilesAreRefusedWithNothingChanged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        GameFixture game(2, 0);
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), {}, {}};
        game.t().startGame();
        game.t().saveGame();
        const QByteArray good = readFile();
        QVERIFY(decodeSavedGame(good));
        auto with16 = [&](int at, qint16 value) {
            QByteArray bytes = good;
            bytes[at] = char(value & 0xff);
            bytes[at + 1] = char((value >> 8) & 0xff);
            return bytes;
        };
        auto with32 = [&](int at, qint32 value) {
            QByteArray bytes = good;
            for (int b = 0; b < 4; ++b)
                bytes[at + b] = char((value >> (8 * b)) & 0xff);
            return bytes;
        };
        const int fileLength = 4;     // the picture path's length field
        const int size = 6 + 2 + shared().pictureFile.size(); // after Picture, Album, File, Time
        const int players = size + 2 + 13 * 4;
        QTest::newRow("too short") << good.left(100);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("size 10") << with16(size, 10);
        QTest::newRow("size -1") << with16(size, -1);
        QTest::newRow("no players") << with16(players, 0);
        QTest::newRow("five players") << with16(players, 5);
        QTest::newRow("negative text length") << with16(fileLength, -2);
        QTest::newRow("text beyond the end") << with16(fileLength, 30000);
        QByteArray wide = good;
        wide[size + 2 + 4] = char(0x1f); // row 1 of four columns holds five: "11111"
        QTest::newRow("row wider than the board") << wide;
        QTest::newRow("unknown picture") << with16(0, 117);
        // Fields no game of ours can hold (a 3 x 4 board, two players).
        const int rows = size + 2;
        const int scores = players + 2;
        SavedGame recordOnly = *decodeSavedGame(good);
        recordOnly.jokers.clear(); // the block of all marks follows the record
        const int marks = int(encodeSavedGame(recordOnly).size()) - 21 * 2;
        // At the edges, a game can: the most points, a joker mark on piece 1, a full row.
        QVERIFY(decodeSavedGame(with32(scores, 1572)));
        QVERIFY(decodeSavedGame(with16(marks + 2, 1)));
        QVERIFY(decodeSavedGame(with32(rows + 3 * 4, 15)));
        QTest::newRow("picture 0 with a picture file") << with16(0, 0).replace(2, 2, QByteArray::fromHex("0100"));
        QTest::newRow("album 2") << with16(2, 2);
        QTest::newRow("time 5") << with16(size - 2, 5);
        QTest::newRow("a score of 99990") << with32(scores, 99990);
        QTest::newRow("a score above the board's most") << with32(scores + 4, 1573);
        QTest::newRow("scores together above it") << with32(scores, 800).replace(scores + 4, 4, QByteArray::fromHex("20030000"));
        QTest::newRow("a negative score") << with32(scores, -1);
        QTest::newRow("a score of a player not in play") << with32(scores + 12, 99990);
        QTest::newRow("row 0 holds cells") << with32(rows, 1);
        QTest::newRow("row 4 of three holds cells") << with32(rows + 4 * 4, 1);
        QTest::newRow("negative row bits") << with32(rows + 4, -1);
        QTest::newRow("joker mark 2") << with16(marks + 2, 2);
        QTest::newRow("joker mark -1") << with16(marks + 2, -1);
        QTest::newRow("joker mark 0 set") << with16(marks, 1);
        QTest::newRow("joker mark beyond pieces div 10") << with16(marks + 2 * 2, 1);
        QTest::newRow("not a saved game") << QByteArray("[Optionen]\r\nSize=1\r\n");
    }

    void damagedFilesAreRefusedWithNothingChanged()
    {
        QFETCH(QByteArray, bytes);
        GameFixture game(3, 1);
        game.t().startGame();
        layNext(game);
        writeFile(bytes);
        const Snapshot before(game.t());
        const qint16 size = shared().sizeIndex;
        game.t().loadGame();
        QCOMPARE(game.dialogs.informed, QStringList{langText(183)});
        QVERIFY(Snapshot(game.t()) == before);
        QCOMPARE(shared().sizeIndex, size);
        QCOMPARE(shared().playerCount, 3);
    }

    void aSavedGameThatIsOrNamesNoRegularFileIsRefusedPlainly()
    {
        // Neither hangs nor fills the memory: the plain message, nothing changed.
        const QString fifo = test::tempFolder() + "/fifo.jpg";
        for (const QString& picture : {QString(), QStringLiteral("/dev/zero"), fifo}) {
            GameFixture game(2, 0); // empties the folders
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
            game.t().startGame();
            SavedGame record;
            record.pictureSource = 1;
            record.pictureFile = picture;
            record.playerCount = 2;
            if (picture.isEmpty()) // the saved game itself is a FIFO
                QCOMPARE(::mkfifo(QFile::encodeName(savedGamePath()).constData(), 0600), 0);
            else
                writeFile(encodeSavedGame(record));
            const Snapshot before(game.t());
            test::ScriptedReporter reporter;
            game.t().loadGame();
            QCOMPARE(game.dialogs.informed, QStringList{langText(183)});
            QVERIFY(reporter.reports.isEmpty());
            QVERIFY(Snapshot(game.t()) == before);
        }
    }
};

TESSARON_TEST_MAIN(TestSavedGame)
#include "test_saved_game.moc"
