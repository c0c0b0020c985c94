#include "table/TableSnapshot.h"

#include "net/Wire.h"

#include <QCborArray>

#include <cmath>

namespace tess {

namespace {

// A cell travels as one number: its face in the low three bits, then placed,
// then enabled, then the piece plus one (0 for none).
constexpr qint64 FaceBits = 3;
constexpr qint64 PlacedBit = 1 << FaceBits;
constexpr qint64 EnabledBit = PlacedBit << 1;
constexpr qint64 PieceShift = FaceBits + 2;
constexpr int LastFace = int(Face::Piece);

qint64 packCell(const TableSnapshot::Cell& cell)
{
    const qint64 piece = cell.face == Face::Piece ? cell.piece + 1 : 0;
    return qint64(cell.face) | (cell.placed ? PlacedBit : 0) | (cell.enabled ? EnabledBit : 0) | (piece << PieceShift);
}

std::optional<TableSnapshot::Cell> unpackCell(const QCborValue& value, int pieces)
{
    if (!value.isInteger())
        return std::nullopt;
    const qint64 packed = value.toInteger();
    if (packed < 0 || packed >= (qint64(pieces) + 1) << PieceShift)
        return std::nullopt;
    TableSnapshot::Cell cell;
    const int face = int(packed & (PlacedBit - 1));
    if (face > LastFace)
        return std::nullopt;
    cell.face = Face(face);
    cell.placed = packed & PlacedBit;
    cell.enabled = packed & EnabledBit;
    const qint64 piece = (packed >> PieceShift) - 1;
    // A piece goes with the piece face and only with it.
    if ((cell.face == Face::Piece) != (piece >= 0))
        return std::nullopt;
    cell.piece = int(piece);
    return cell;
}

std::optional<qint64> integerIn(const QCborMap& map, QLatin1StringView key, qint64 low, qint64 high)
{
    const QCborValue value = map.value(key);
    if (!value.isInteger() || value.toInteger() < low || value.toInteger() > high)
        return std::nullopt;
    return value.toInteger();
}

std::optional<bool> flagIn(const QCborMap& map, QLatin1StringView key)
{
    const QCborValue value = map.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

} // namespace

QCborMap encodeSnapshot(const TableSnapshot& s)
{
    QCborMap map;
    map.insert(QLatin1StringView("r"), s.rows);
    map.insert(QLatin1StringView("c"), s.cols);
    QCborArray cells;
    for (const TableSnapshot::Cell& cell : s.cells)
        cells.append(packCell(cell));
    map.insert(QLatin1StringView("b"), cells);
    map.insert(QLatin1StringView("k"), packCell(s.stack));
    map.insert(QLatin1StringView("kv"), s.stackVisible);
    map.insert(QLatin1StringView("pv"), s.previewShown);
    QCborArray players;
    for (qsizetype i = 0; i < s.names.size(); ++i) {
        QCborArray player;
        player.append(s.names[i]);
        player.append(i < qsizetype(s.scores.size()) ? s.scores[std::size_t(i)] : 0);
        player.append(i < qsizetype(s.seats.size()) ? s.seats[std::size_t(i)] : int(i));
        player.append(i < qsizetype(s.active.size()) ? bool(s.active[std::size_t(i)]) : false);
        players.append(player);
    }
    map.insert(QLatin1StringView("p"), players);
    map.insert(QLatin1StringView("cp"), s.currentPlayer);
    // In ten-thousandths: an integer compares exactly, so an unchanged bar sends nothing new.
    map.insert(QLatin1StringView("tb"), qint64(std::lround(std::clamp(s.timeBar, 0.0, 1.0) * 10000)));
    map.insert(QLatin1StringView("i"), s.gameIdle);
    map.insert(QLatin1StringView("pg"), s.pictureGeneration);
    map.insert(QLatin1StringView("bk"), s.backSide);
    map.insert(QLatin1StringView("g"), s.gridShown);
    map.insert(QLatin1StringView("h"), s.hintEnabled);
    if (s.options) {
        QCborMap options;
        options.insert(QLatin1StringView("tl"), s.options->timeLimit);
        options.insert(QLatin1StringView("j"), s.options->useJokers);
        options.insert(QLatin1StringView("ad"), s.options->autoDraw);
        options.insert(QLatin1StringView("oh"), s.options->offerHints);
        map.insert(QLatin1StringView("o"), options);
    }
    return map;
}

std::optional<TableSnapshot> decodeSnapshot(const QCborMap& map)
{
    TableSnapshot s;
    const auto rows = integerIn(map, QLatin1StringView("r"), 3, MaxBoardRows);
    const auto cols = integerIn(map, QLatin1StringView("c"), 4, MaxBoardCols);
    if (!rows || !cols || *rows * *cols > CellCount)
        return std::nullopt;
    s.rows = int(*rows);
    s.cols = int(*cols);
    const int pieces = s.pieceCount();

    const QCborValue cells = map.value(QLatin1StringView("b"));
    if (!cells.isArray() || cells.toArray().size() != pieces)
        return std::nullopt;
    for (const QCborValue& value : cells.toArray()) {
        const auto cell = unpackCell(value, pieces);
        if (!cell)
            return std::nullopt;
        s.cells.push_back(*cell);
    }
    const auto stack = unpackCell(map.value(QLatin1StringView("k")), pieces);
    if (!stack)
        return std::nullopt;
    s.stack = *stack;

    const QCborValue players = map.value(QLatin1StringView("p"));
    if (!players.isArray() || players.toArray().isEmpty() || players.toArray().size() > 4)
        return std::nullopt;
    std::array<bool, 4> seatTaken{};
    for (const QCborValue& value : players.toArray()) {
        if (!value.isArray())
            return std::nullopt;
        const QCborArray player = value.toArray();
        if (player.size() != 4 || !player[0].isString() || !player[1].isInteger() || !player[2].isInteger()
            || !player[3].isBool())
            return std::nullopt;
        const QString name = player[0].toString();
        const qint64 score = player[1].toInteger();
        const qint64 seat = player[2].toInteger();
        if ((!name.isEmpty() && !net::isPlayableName(name)) || score < 0 || score > MaxShownScore || seat < 0
            || seat >= 4 || seatTaken[std::size_t(seat)])
            return std::nullopt;
        seatTaken[std::size_t(seat)] = true;
        s.names.append(name);
        s.scores.push_back(qint32(score));
        s.seats.push_back(int(seat));
        s.active.push_back(player[3].toBool());
    }

    const auto current = integerIn(map, QLatin1StringView("cp"), 0, s.names.size() - 1);
    const auto timeBar = integerIn(map, QLatin1StringView("tb"), 0, 10000);
    const auto generation = integerIn(map, QLatin1StringView("pg"), 0, std::numeric_limits<int>::max());
    const auto backSide = integerIn(map, QLatin1StringView("bk"), 0, BackSideCount - 1);
    const auto stackVisible = flagIn(map, QLatin1StringView("kv"));
    const auto preview = flagIn(map, QLatin1StringView("pv"));
    const auto idle = flagIn(map, QLatin1StringView("i"));
    const auto grid = flagIn(map, QLatin1StringView("g"));
    const auto hint = flagIn(map, QLatin1StringView("h"));
    if (!current || !timeBar || !generation || !backSide || !stackVisible || !preview || !idle || !grid || !hint)
        return std::nullopt;
    s.currentPlayer = int(*current);
    s.timeBar = double(*timeBar) / 10000;
    s.pictureGeneration = int(*generation);
    s.backSide = int(*backSide);
    s.stackVisible = *stackVisible;
    s.previewShown = *preview;
    s.gameIdle = *idle;
    s.gridShown = *grid;
    s.hintEnabled = *hint;
    // Optional: an older host does not send its options.
    const QCborValue options = map.value(QLatin1StringView("o"));
    if (options.isMap()) {
        const QCborMap o = options.toMap();
        const auto timeLimit = flagIn(o, QLatin1StringView("tl"));
        const auto jokers = flagIn(o, QLatin1StringView("j"));
        const auto autoDraw = flagIn(o, QLatin1StringView("ad"));
        const auto hints = flagIn(o, QLatin1StringView("oh"));
        if (!timeLimit || !jokers || !autoDraw || !hints)
            return std::nullopt;
        s.options = TableSnapshot::GameOptions{*timeLimit, *jokers, *autoDraw, *hints};
    } else if (!options.isUndefined()) {
        return std::nullopt;
    }
    return s;
}

} // namespace tess
