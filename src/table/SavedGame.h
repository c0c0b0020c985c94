#pragma once
// The saved game "Quadrello.qdr": one packed record, little-endian, no
// padding, texts as a 16-bit byte count and code page 1252 bytes (UTF-8 for
// a text the code page cannot hold, see toStoredText). 130 bytes
// plus the picture path and the four names, the same for every build.
// After the record comes the block of every piece's joker mark: the record
// keeps only pieces 1 .. pieces div 10, and a reader of the record alone
// stops before the block, so files stay readable both ways.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace tess {

struct SavedGame {
    qint16 pictureNumber = 101; // the first built-in picture
    qint16 pictureSource = 0;
    QString pictureFile;
    qint16 timeLimit = 0;
    qint16 sizeIndex = 0;
    std::array<qint32, 13> rowBits{}; // 1 .. boardRows: the placed cells of each row
    qint16 playerCount = 0;
    std::array<qint32, 4> scores{};
    std::array<QString, 4> names;
    std::array<qint16, 21> jokerMarks{}; // 1 .. pieces div 10
    // Every piece's mark, 0 .. pieces - 1; empty when the file has no
    // block after the record (an older file, or a damaged block ignored).
    QList<bool> jokers;
};

QByteArray encodeSavedGame(const SavedGame& game);

// The record of a file, or nothing when it is damaged or not a saved game:
// too short, a text length that is negative or runs past the end, or a field
// no game can hold: a board size outside 0 to 9, a player count outside 1 to 4,
// a picture source other than 0 or 1, a picture number outside 101 to 105, a
// time limit other than 0 or 1, row bits beyond the board's columns or rows, joker marks other than 0
// or 1 or beyond pieces div 10, a score below 0 or scores above what one game
// of that size brings (rules::mostPoints). The block after the record is
// ignored (jokers empty) when it is cut short, holds a count other than the
// board's pieces or a mark other than 0 or 1, or disagrees with the record.
std::optional<SavedGame> decodeSavedGame(const QByteArray& bytes);

// Where the saved game lives: beside the program, or in the per-user data
// folder when the program's folder cannot be written.
QString savedGamePath();

} // namespace tess
