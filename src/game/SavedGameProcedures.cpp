// Saving the game in progress to one file and taking it up again.

#include "game/SavedGameProcedures.h"

#include "game/PuzzleTable.h"

#include "table/SavedGame.h"
#include "game/TableHelpers.h"
#include "language/Language.h"
#include "language/TextNumbers.h"
#include "resources/Pictures.h"
#include "resources/Resources.h"
#include "settings/SettingsStore.h"
#include "settings/SharedState.h"
#include "util/Dialogs.h"
#include "util/Files.h"
#include "util/FileWrite.h"
#include "util/Numbers.h"
#include "util/Paths.h"
#include "util/RowBits.h"
#include "util/RunTimeError.h"
#include "util/Trap.h"
#include "util/Wait.h"

#include <QFile>

namespace tess {

using namespace table;

namespace {

void checkPlayers(int playerCount)
{
    if (playerCount < 0 || playerCount > 4)
        raiseError(ErrSubscript, QStringLiteral("PlayerName(%1)").arg(playerCount - 1));
}

} // namespace

void SavedGameProcedures::saveGame()
{
    const SharedState& s = shared();
    trapped("frmPuzzle", "SaveGame", [&](Steps& step) {
        // Between games the board holds nothing worth keeping: a saved game
        // that may hold hours of play is replaced only when the player says so.
        bool replace = true;
        step(50010, [&] {
            if (game_.idle() && isSaneFile(savedGamePath(), MaxDataFileBytes))
                replace = dialogs().askYesNo(langText(text::ReplaceSavedGame), langText(text::SavedGameTitle), Dialogs::Answer::No);
        });
        if (!replace)
            return;
        SavedGame game;
        step(50020, [&] {
            if (s.boardRows > 12)
                raiseError(ErrSubscript, QStringLiteral("RowBits(%1)").arg(s.boardRows));
            for (int r = 1; r <= s.boardRows; ++r) {
                // The row as the file keeps it: "1" for a laid piece, "0" for an empty cell.
                QString tags;
                for (int c = 1; c <= s.boardCols; ++c) {
                    const int k = (r - 1) * s.boardCols + c - 1;
                    cellAt(table_.boardCells, k); // a cell beyond the board's raises 9
                    tags += game_.placed(k) ? u'1' : u'0';
                }
                game.rowBits[std::size_t(r)] = binaryToNumber(tags);
            }
        });
        int n = 0;
        step(50030, [&] { n = s.boardRows * s.boardCols / 10; });
        step(50040, [&] {
            game.timeLimit = onOffNumber(s.timeLimit);
            game.sizeIndex = qint16(s.sizeIndex);
            game.pictureNumber = qint16(s.pictureNumber);
            game.pictureSource = pictureSourceNumber(s.pictureSource);
            game.pictureFile = s.pictureFile;
            game.playerCount = qint16(s.playerCount);
            checkPlayers(s.playerCount);
            for (std::size_t i = 0; i < std::size_t(s.playerCount); ++i) {
                game.names[i] = s.names[i];
                game.scores[i] = game_.scores()[i];
            }
            for (int i = 1; i <= n && i < int(game.jokerMarks.size()); ++i)
                game.jokerMarks[std::size_t(i)] = game_.isJoker(i) ? 1 : 0;
            // The record keeps the first marks only; the block after it keeps them all.
            for (int i = 0; i < s.boardRows * s.boardCols; ++i)
                game.jokers << game_.isJoker(i);
        });
        // A new file renamed over the old one: the old saved game stays whole
        // until the new one is on the disk, and a failure says so ("it stays
        // as it was" only when there was one).
        step(50050, [&] {
            if (replaceFileWhole(savedGamePath(), encodeSavedGame(game)) != 0)
                dialogs().inform(langText(unwrittenFileText(savedGamePath())) + QStringLiteral("\n\n") + savedGamePath(), langText(text::SavedGameTitle));
        });
    });
}

void SavedGameProcedures::loadGame()
{
    trapped("frmPuzzle", "LoadGame", [&](Steps& step) {
        FileContent content;
        step(50010, [&] {
            // Read only as a regular file of sane size: a FIFO or a device
            // there would hang the game or fill its memory.
            content = readRegularFile(savedGamePath(), MaxDataFileBytes);
            if (content.result == FileRead::Missing)
                dialogs().inform(langText(text::NoSavedGame), langText(text::SavedGameTitle));
            else if (content.result == FileRead::Unreadable)
                raiseReadError(content.result, savedGamePath());
        });
        if (content.result == FileRead::Missing || content.result == FileRead::Unreadable)
            return;
        std::optional<SavedGame> read;
        step(50020, [&] {
            if (content.result == FileRead::Ok) // not a file, or too large: damaged
                read = decodeSavedGame(content.bytes);
            if (read && read->pictureSource == 0 && !hasCarriedItem(qint16(read->pictureNumber + 100), QStringLiteral("bitmap")))
                read.reset(); // no picture of ours has that number
            // A damaged file is refused whole: the game in progress stays as it was.
            if (!read)
                dialogs().inform(langText(text::SavedGameDamaged), langText(text::SavedGameTitle));
        });
        if (!read)
            return;
        SavedPicture picture{read->pictureFile, {}};
        bool pictureReadable = true;
        // The picture first, so a picture that cannot be shown changes nothing.
        step(50030, [&] { pictureReadable = readSavedPicture(*read, picture); });
        if (pictureReadable)
            takeUpSavedGame(step, *read, picture);
    });
}

bool SavedGameProcedures::readSavedPicture(const SavedGame& game, SavedPicture& picture)
{
    if (game.pictureSource == 0) {
        picture.image = carriedPicture(qint16(game.pictureNumber + 100));
    } else if (game.pictureSource == 1) {
        QString& file = picture.file;
        if (file.isEmpty() || file.contains(QChar(u'\0')) || !QFile::exists(file))
            file = picturesFolder() + QStringLiteral("puzzle01.jpg");
        // A path to a FIFO, a device or a huge file is refused like a damaged file.
        if (!isSaneFile(file, MaxPictureFileBytes)) {
            dialogs().inform(langText(text::SavedGameDamaged), langText(text::SavedGameTitle));
            return false;
        }
        picture.image = loadPictureFile(file, largestBoardPixels());
    }
    return true;
}

// The saved game's record, read and checked, becomes the game on the table.
void SavedGameProcedures::takeUpSavedGame(Steps& step, const SavedGame& game, const SavedPicture& picture)
{
    SharedState& s = shared();
    step(50040, [&] {
        s.sizeIndex = game.sizeIndex;
        s.pictureNumber = game.pictureNumber;
        s.pictureSource = pictureSourceOf(game.pictureSource);
        s.pictureFile = picture.file;
        s.playerCount = game.playerCount;
        table_.showPicture(picture.image); // the record's picture source is 0 or 1, checked when read
    });
    step(50050, [&] {
        s.boardRows = boardSize(s.sizeIndex).rows;
        s.boardCols = boardSize(s.sizeIndex).cols;
    });
    step(50060, [&] {
        table_.stopIdleAnimation();
        table_.resetGame();
    });
    step(50070, [&] {
        game_.start();
        s.timeLimit = game.timeLimit == 1;
    });
    step(50080, [&] {
        for (std::size_t i = 0; i < std::size_t(s.playerCount); ++i) {
            s.names[i] = game.names[i];
            game_.setScore(int(i), game.scores[i]);
        }
    });
    step(50090, [&] { game_.clearStack(); });
    step(50100, [&] { laySavedRows(game); });
    step(50110, [&] {
        // Only these marks are in the file; no mark of an earlier game may stay behind.
        game_.clearJokers();
        const int n = s.boardRows * s.boardCols / 10;
        for (int i = 1; i <= n && i < int(game.jokerMarks.size()); ++i)
            game_.setJoker(i, game.jokerMarks[std::size_t(i)] == 1); // checked 0 or 1 when read
        // The block, when the file has one, holds one mark for each piece of this board.
        for (int i = 0; i < int(game.jokers.size()); ++i)
            game_.setJoker(i, game.jokers[i]);
    });
    step(50120, [&] {
        for (std::size_t i = 0; i < std::size_t(s.playerCount); ++i) {
            table_.playerLabels[i].text = s.playerCount == 1 ? langText(text::Points) : s.names[i];
            table_.showScore(game_.score(int(i)), int(i));
        }
    });
    step(50130, [&] {
        table_.stackCell.face = Face::Back;
        table_.stackCell.enabled = true;
        table_.stackCell.visible = true;
        table_.toolButton(ToolButton::Start).enabled = false;
        table_.toolButton(ToolButton::BackSide).enabled = true;
        table_.toolButton(ToolButton::Champions).enabled = false;
        table_.notify(&TableListener::stackChanged);
        table_.notifyControls();
    });
    step(50140, [&] {
        // Every piece already lies: the game ends as a finished game ends.
        if (game_.stack().isEmpty()) {
            table_.finishGame();
            return;
        }
        table_.drawAutomatically();
    });
}

// The saved rows' bits lay their pieces; the cells left empty make the stack, in order.
void SavedGameProcedures::laySavedRows(const SavedGame& game)
{
    const SharedState& s = shared();
    for (int r = 1; r <= s.boardRows; ++r) {
        QString tags = numberToBinary(game.rowBits[std::size_t(r)]);
        tags = tags.rightJustified(s.boardCols, u'0');
        for (int c = 1; c <= tags.size(); ++c) {
            const int k = (r - 1) * s.boardCols + c - 1;
            ImageState& cell = cellAt(table_.boardCells, k);
            game_.setPlaced(k, tags.at(c - 1) == u'1');
            if (game_.placed(k)) {
                cell.enabled = false;
                cell.face = Face::Piece;
                cell.piece = k;
            } else {
                game_.addToStack(k);
            }
        }
    }
    table_.notifyAllCells();
}

} // namespace tess
