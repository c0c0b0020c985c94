#include "table/SavedGame.h"

#include "table/Rules.h"
#include "resources/PictureRing.h"
#include "settings/SharedState.h"
#include "util/Cp1252.h"
#include "util/Paths.h"

#include <QtEndian>

namespace tess {

namespace {

class Writer {
public:
    template <class Int>
    void number(Int value)
    {
        char raw[sizeof(Int)];
        qToLittleEndian(value, raw);
        bytes.append(raw, sizeof(Int));
    }
    void text(const QString& value)
    {
        const QByteArray encoded = toStoredText(value).left(32767);
        number(qint16(encoded.size()));
        bytes.append(encoded);
    }
    QByteArray bytes;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}
    template <class Int>
    Int number()
    {
        if (!fits(sizeof(Int)))
            return 0;
        const Int value = qFromLittleEndian<Int>(bytes_.constData() + at_);
        at_ += qsizetype(sizeof(Int));
        return value;
    }
    QString text()
    {
        const qint16 length = number<qint16>();
        if (length < 0 || !fits(length)) {
            ok_ = false;
            return {};
        }
        const QString value = fromStoredText(bytes_.mid(at_, length));
        at_ += length;
        return value;
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return at_ >= bytes_.size(); }
    QByteArray raw(qsizetype count)
    {
        if (count < 0 || !fits(count))
            return {};
        at_ += count;
        return bytes_.mid(at_ - count, count);
    }

private:
    bool fits(qsizetype count)
    {
        if (at_ + count > bytes_.size())
            ok_ = false;
        return ok_;
    }
    const QByteArray& bytes_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

// Whether every field holds what a game of ours can: a file written by
// another program, or damaged, must not reach the board, the scores or the
// champions list with values no game can have.
bool holdsAGame(const SavedGame& game)
{
    if (game.sizeIndex < 0 || game.sizeIndex > 9 || game.playerCount < 1 || game.playerCount > 4)
        return false;
    if (game.pictureSource != 0 && game.pictureSource != 1)
        return false;
    // The built-in picture is kept also with a picture file chosen.
    if (game.pictureNumber < FirstBuiltInPicture || game.pictureNumber > LastBuiltInPicture)
        return false;
    if (game.timeLimit != 0 && game.timeLimit != 1)
        return false;
    const BoardSize board = sizeRule(game.sizeIndex);
    const int pieces = board.rows * board.cols;
    // Row r (1 .. rows) names only its own columns; the entries around are 0.
    for (int r = 0; r < int(game.rowBits.size()); ++r) {
        const qint64 highest = r >= 1 && r <= board.rows ? (qint64(1) << board.cols) - 1 : 0;
        if (game.rowBits[std::size_t(r)] < 0 || game.rowBits[std::size_t(r)] > highest)
            return false;
    }
    // Marks 1 .. pieces div 10 are 0 or 1; the others 0.
    for (int i = 0; i < int(game.jokerMarks.size()); ++i) {
        const int highest = i >= 1 && i <= pieces / 10 ? 1 : 0;
        if (game.jokerMarks[std::size_t(i)] < 0 || game.jokerMarks[std::size_t(i)] > highest)
            return false;
    }
    // Each piece is laid once, for one player: together the players have
    // at most what one game of this size can bring.
    const qint32 most = rules::mostPoints(pieces);
    qint64 together = 0;
    for (int i = 0; i < int(game.scores.size()); ++i) {
        const qint32 score = game.scores[std::size_t(i)];
        if (score < 0 || score > most)
            return false;
        if (i < game.playerCount)
            together += score;
    }
    return together <= most;
}

// Begins the block of every piece's joker mark after the record.
const QByteArray JokerBlockTag = QByteArrayLiteral("JOKR");

void writeJokerBlock(Writer& out, const QList<bool>& jokers)
{
    if (jokers.isEmpty())
        return;
    out.bytes.append(JokerBlockTag);
    out.number(qint16(jokers.size()));
    for (const bool joker : jokers)
        out.number(qint8(joker ? 1 : 0));
}

// The block's marks, or none when the file has no block or a block that
// does not fit the record: then the record's own marks stand, as in an older file.
QList<bool> readJokerBlock(Reader& in, const SavedGame& game)
{
    if (in.atEnd() || in.raw(JokerBlockTag.size()) != JokerBlockTag)
        return {};
    const BoardSize board = sizeRule(game.sizeIndex);
    const int pieces = board.rows * board.cols;
    const qint16 count = in.number<qint16>();
    const QByteArray marks = in.raw(count);
    if (!in.ok() || count != pieces)
        return {};
    QList<bool> jokers;
    for (int i = 0; i < pieces; ++i) {
        const char mark = marks.at(i);
        const bool inRecord = i >= 1 && i <= pieces / 10 && i < int(game.jokerMarks.size());
        if ((mark != 0 && mark != 1) || (inRecord && game.jokerMarks[std::size_t(i)] != mark))
            return {};
        jokers << (mark == 1);
    }
    return jokers;
}

} // namespace

QByteArray encodeSavedGame(const SavedGame& game)
{
    Writer out;
    out.number(game.pictureNumber);
    out.number(game.pictureSource);
    out.text(game.pictureFile);
    out.number(game.timeLimit);
    out.number(game.sizeIndex);
    for (const qint32 row : game.rowBits)
        out.number(row);
    out.number(game.playerCount);
    for (const qint32 score : game.scores)
        out.number(score);
    for (const QString& name : game.names)
        out.text(name);
    for (const qint16 mark : game.jokerMarks)
        out.number(mark);
    writeJokerBlock(out, game.jokers);
    return out.bytes;
}

std::optional<SavedGame> decodeSavedGame(const QByteArray& bytes)
{
    Reader in(bytes);
    SavedGame game;
    game.pictureNumber = in.number<qint16>();
    game.pictureSource = in.number<qint16>();
    game.pictureFile = in.text();
    game.timeLimit = in.number<qint16>();
    game.sizeIndex = in.number<qint16>();
    for (qint32& row : game.rowBits)
        row = in.number<qint32>();
    game.playerCount = in.number<qint16>();
    for (qint32& score : game.scores)
        score = in.number<qint32>();
    for (QString& name : game.names)
        name = in.text();
    for (qint16& mark : game.jokerMarks)
        mark = in.number<qint16>();
    if (!in.ok() || !holdsAGame(game))
        return std::nullopt;
    game.jokers = readJokerBlock(in, game);
    return game;
}

QString savedGamePath()
{
    return writableFolder() + QStringLiteral("Quadrello.qdr");
}

} // namespace tess
