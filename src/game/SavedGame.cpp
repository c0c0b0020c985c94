#include "game/SavedGame.h"

#include "game/SharedState.h"
#include "util/Cp1252.h"
#include "util/Paths.h"
#include "util/RowBits.h"

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
    if (!in.ok() || game.Size < 0 || game.Size > 9 || game.numPlayers < 1 || game.numPlayers > 4)
        return std::nullopt;
    // A row may not name cells beyond its own last column.
    const BoardSize board = sizeRule(game.Size);
    for (int r = 1; r <= board.rows; ++r)
        if (LongToBin(game.RowBits[std::size_t(r)]).size() > board.cols)
            return std::nullopt;
    return game;
}

QString savedGamePath()
{
    return writableFolder() + QStringLiteral("Quadrello.qdr");
}

} // namespace tess
