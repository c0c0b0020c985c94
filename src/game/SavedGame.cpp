#include "game/SavedGame.h"

#include "game/Rules.h"
#include "game/SharedState.h"
#include "resources/PictureRing.h"
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
    if (game.Size < 0 || game.Size > 9 || game.numPlayers < 1 || game.numPlayers > 4)
        return false;
    if (game.Album != 0 && game.Album != 1)
        return false;
    // The built-in picture is kept also with a picture file chosen.
    if (game.Picture < FirstBuiltInPicture || game.Picture > LastBuiltInPicture)
        return false;
    if (game.Time != 0 && game.Time != 1)
        return false;
    const BoardSize board = sizeRule(game.Size);
    const int pieces = board.rows * board.cols;
    // Row r (1 .. rows) names only its own columns; the entries around are 0.
    for (int r = 0; r < int(game.RowBits.size()); ++r) {
        const qint64 highest = r >= 1 && r <= board.rows ? (qint64(1) << board.cols) - 1 : 0;
        if (game.RowBits[std::size_t(r)] < 0 || game.RowBits[std::size_t(r)] > highest)
            return false;
    }
    // Marks 1 .. pieces div 10 are 0 or 1; the others 0.
    for (int i = 0; i < int(game.JokerMark.size()); ++i) {
        const qint16 highest = i >= 1 && i <= pieces / 10 ? 1 : 0;
        if (game.JokerMark[std::size_t(i)] < 0 || game.JokerMark[std::size_t(i)] > highest)
            return false;
    }
    // Each piece is laid once, for one player: together the players have
    // at most what one game of this size can bring.
    const qint32 most = rules::mostPoints(pieces);
    qint64 together = 0;
    for (int i = 0; i < int(game.Scores.size()); ++i) {
        const qint32 score = game.Scores[std::size_t(i)];
        if (score < 0 || score > most)
            return false;
        if (i < game.numPlayers)
            together += score;
    }
    return together <= most;
}

} // namespace

QByteArray encodeSavedGame(const SavedGame& game)
{
    Writer out;
    out.number(game.Picture);
    out.number(game.Album);
    out.text(game.File);
    out.number(game.Time);
    out.number(game.Size);
    for (const qint32 row : game.RowBits)
        out.number(row);
    out.number(game.numPlayers);
    for (const qint32 score : game.Scores)
        out.number(score);
    for (const QString& name : game.Names)
        out.text(name);
    for (const qint16 mark : game.JokerMark)
        out.number(mark);
    return out.bytes;
}

std::optional<SavedGame> decodeSavedGame(const QByteArray& bytes)
{
    Reader in(bytes);
    SavedGame game;
    game.Picture = in.number<qint16>();
    game.Album = in.number<qint16>();
    game.File = in.text();
    game.Time = in.number<qint16>();
    game.Size = in.number<qint16>();
    for (qint32& row : game.RowBits)
        row = in.number<qint32>();
    game.numPlayers = in.number<qint16>();
    for (qint32& score : game.Scores)
        score = in.number<qint32>();
    for (QString& name : game.Names)
        name = in.text();
    for (qint16& mark : game.JokerMark)
        mark = in.number<qint16>();
    if (!in.ok() || !holdsAGame(game))
        return std::nullopt;
    return game;
}

QString savedGamePath()
{
    return writableFolder() + QStringLiteral("Quadrello.qdr");
}

} // namespace tess
