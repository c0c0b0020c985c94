#include "net/Wire.h"

#include <QCborArray>
#include <QCborStreamReader>
#include <QCborValue>
#include <QSet>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace tess::net {

namespace {

// The map keys. Short, but still readable in a packet dump.
const QString KeyKind = QStringLiteral("t");
const QString KeyMajor = QStringLiteral("major");
const QString KeyMinor = QStringLiteral("minor");
const QString KeyName = QStringLiteral("name");
const QString KeyCode = QStringLiteral("code");
const QString KeySeat = QStringLiteral("seat");
const QString KeyReason = QStringLiteral("reason");
const QString KeySeats = QStringLiteral("seats");
const QString KeyConnected = QStringLiteral("on");
const QString KeyAction = QStringLiteral("act");
const QString KeyCell = QStringLiteral("cell");
const QString KeyState = QStringLiteral("state");
const QString KeyBuiltIn = QStringLiteral("pic");
const QString KeyBytes = QStringLiteral("bytes");
const QString KeyNumber = QStringLiteral("n");
const QString KeyArguments = QStringLiteral("args");

const std::array<std::pair<MessageKind, const char*>, 10> KindNames{{
    {MessageKind::Hello, "hello"},
    {MessageKind::Welcome, "welcome"},
    {MessageKind::Refused, "refused"},
    {MessageKind::Lobby, "lobby"},
    {MessageKind::Action, "action"},
    {MessageKind::State, "state"},
    {MessageKind::Picture, "picture"},
    {MessageKind::Sound, "sound"},
    {MessageKind::Notice, "notice"},
    {MessageKind::Bye, "bye"},
}};
const std::array<std::pair<RefusalReason, const char*>, 5> ReasonNames{{
    {RefusalReason::Version, "version"},
    {RefusalReason::Code, "code"},
    {RefusalReason::Full, "full"},
    {RefusalReason::NameTaken, "name"},
    {RefusalReason::GameRunning, "running"},
}};
const std::array<std::pair<PlayerAction, const char*>, 3> ActionNames{{
    {PlayerAction::Draw, "draw"},
    {PlayerAction::Place, "place"},
    {PlayerAction::Hint, "hint"},
}};

template <typename Enum, std::size_t N>
QString nameOf(const std::array<std::pair<Enum, const char*>, N>& names, Enum value)
{
    for (const auto& [each, name] : names)
        if (each == value)
            return QString::fromLatin1(name);
    return {};
}

template <typename Enum, std::size_t N>
std::optional<Enum> valueOf(const std::array<std::pair<Enum, const char*>, N>& names, const QCborValue& value)
{
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    for (const auto& [each, name] : names)
        if (text == QLatin1String(name))
            return each;
    return std::nullopt;
}

// A player's picture may make a message this much larger than MaxPictureBytes.
constexpr qsizetype PictureOverheadBytes = 4096;
// What the structure of any message may reach: the message map, the state map
// in it, and a few levels of lists and maps inside the state.
constexpr int MaxDepth = 6;
// Items (keys, values, list entries) in one message, the state included.
constexpr int MaxItems = 20000;
// Keys of the message map; the known ones and a few a newer minor version adds.
constexpr int MaxTopLevelKeys = 16;
// Any text anywhere in a message, in UTF-8 bytes.
constexpr qsizetype MaxTextBytes = 1024;
constexpr int MaxCell = 299;
constexpr int MaxSoundNumber = 99;
constexpr int MinTextNumber = 1;
constexpr int MaxTextNumber = 999;
constexpr int MaxBuiltInPicture = 9999;
constexpr int MaxVersionNumber = 0xFFFF;
constexpr int MaxNoticeArguments = 4;
constexpr int MaxNoticeArgumentLength = 200;

// Walks the CBOR structure without building it, holding it to the depth, item
// and text limits, and refusing tags, odd simple values and broken UTF-8. Only
// what passes is handed to QCborValue, so a hostile message cannot make a
// large tree out of a small buffer.
class Scanner {
public:
    explicit Scanner(const QByteArray& bytes) : reader_(bytes) {}

    bool scanAll(qsizetype size)
    {
        if (!reader_.isMap())
            return false;
        if (!scanValue(1))
            return false;
        return reader_.lastError() == QCborError::NoError && reader_.currentOffset() == size;
    }

private:
    bool scanValue(int depth)
    {
        if (depth > MaxDepth || ++items_ > MaxItems || reader_.lastError() != QCborError::NoError)
            return false;
        switch (reader_.type()) {
        case QCborStreamReader::UnsignedInteger:
            // Beyond a 64-bit signed number: no message needs one.
            if (reader_.toUnsignedInteger() > quint64(std::numeric_limits<qint64>::max()))
                return false;
            return reader_.next();
        case QCborStreamReader::NegativeInteger: {
            // -1 - n for the n on the wire; -2^64 comes as 0 and would read as 0.
            const quint64 magnitude = quint64(reader_.toNegativeInteger());
            if (magnitude == 0 || magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
                return false;
            return reader_.next();
        }
        case QCborStreamReader::Float16:
        case QCborStreamReader::Float:
        case QCborStreamReader::Double:
            return reader_.next();
        case QCborStreamReader::SimpleType: {
            const QCborSimpleType simple = reader_.toSimpleType();
            if (simple != QCborSimpleType::False && simple != QCborSimpleType::True
                && simple != QCborSimpleType::Null)
                return false;
            return reader_.next();
        }
        case QCborStreamReader::ByteArray:
            return skipBytes();
        case QCborStreamReader::String:
            return scanText();
        case QCborStreamReader::Array:
        case QCborStreamReader::Map:
            return scanContainer(depth);
        default: // tags, undefined, invalid
            return false;
        }
    }

    bool skipBytes()
    {
        // The size of the whole message bounds a byte string already; the
        // picture's own limit is checked where it is read.
        for (;;) {
            auto chunk = reader_.readByteArray();
            if (chunk.status == QCborStreamReader::Error)
                return false;
            if (chunk.status == QCborStreamReader::EndOfString)
                return true;
        }
    }

    bool scanText()
    {
        qsizetype bytes = 0;
        if (reader_.isLengthKnown() && reader_.length() > quint64(MaxTextBytes))
            return false;
        for (;;) {
            auto chunk = reader_.readString(); // checks the UTF-8 on the way
            if (chunk.status == QCborStreamReader::Error)
                return false;
            if (chunk.status == QCborStreamReader::EndOfString)
                return true;
            bytes += chunk.data.toUtf8().size();
            if (bytes > MaxTextBytes)
                return false;
        }
    }

    bool scanContainer(int depth)
    {
        const bool map = reader_.isMap();
        if (reader_.isLengthKnown()) {
            const quint64 entries = reader_.length();
            if (entries > quint64(MaxItems) || (map && entries > quint64(MaxItems) / 2))
                return false;
        }
        if (!reader_.enterContainer())
            return false;
        int keys = 0;
        while (reader_.lastError() == QCborError::NoError && reader_.hasNext()) {
            if (map) {
                if (depth == 1 && ++keys > MaxTopLevelKeys)
                    return false;
                if (!scanValue(depth + 1)) // the key
                    return false;
                if (!reader_.hasNext())
                    return false;
            }
            if (!scanValue(depth + 1))
                return false;
        }
        if (reader_.lastError() != QCborError::NoError)
            return false;
        return reader_.leaveContainer();
    }

    QCborStreamReader reader_;
    int items_ = 0;
};

std::optional<int> intIn(const QCborValue& value, int lowest, int highest)
{
    if (!value.isInteger())
        return std::nullopt;
    const qint64 number = value.toInteger();
    if (number < lowest || number > highest)
        return std::nullopt;
    return int(number);
}

// Refuses a map whose keys are not all distinct texts: the same field twice
// would leave it open which one counts.
bool hasTextKeysOnce(const QCborMap& map)
{
    QSet<QString> seen;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!it.key().isString())
            return false;
        const QString key = it.key().toString();
        if (seen.contains(key))
            return false;
        seen.insert(key);
    }
    return true;
}

// Marks on one character in a name; Vietnamese and Thai need up to three.
constexpr int MaxMarksInARow = 3;

bool hasNoControlCharacters(const QString& text, bool allowLineBreaks)
{
    for (const char32_t c : text.toUcs4()) {
        if (allowLineBreaks && (c == U'\n' || c == U'\t'))
            continue;
        switch (QChar::category(c)) {
        case QChar::Other_Control:
        case QChar::Other_Format: // among them the direction overrides that would disguise a name
        case QChar::Other_Surrogate:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return false;
        default:
            break;
        }
    }
    return true;
}

bool readVersion(const QCborMap& map, Message& message)
{
    const auto major = intIn(map.value(KeyMajor), 0, MaxVersionNumber);
    const auto minor = intIn(map.value(KeyMinor), 0, MaxVersionNumber);
    if (!major || !minor)
        return false;
    message.major = *major;
    message.minor = *minor;
    return true;
}

std::optional<LobbySeat> readLobbySeat(const QCborValue& value)
{
    if (!value.isMap())
        return std::nullopt;
    const QCborMap map = value.toMap();
    if (!hasTextKeysOnce(map))
        return std::nullopt;
    const auto seat = intIn(map.value(KeySeat), 0, MaxSeats - 1);
    const QCborValue name = map.value(KeyName);
    const QCborValue connected = map.value(KeyConnected);
    if (!seat || !name.isString() || !isPlayableName(name.toString()) || !connected.isBool())
        return std::nullopt;
    return LobbySeat{*seat, name.toString(), connected.toBool()};
}

// A hello: the version, then name and join code.
bool readHello(const QCborMap& map, Message& message)
{
    if (!readVersion(map, message))
        return false;
    // A peer of another major version is told so, whatever else its
    // hello holds: its name and code may follow rules this side does not know.
    if (message.major != ProtocolMajor)
        return true;
    const QCborValue name = map.value(KeyName);
    const QCborValue code = map.value(KeyCode);
    if (!name.isString() || !isPlayableName(name.toString()) || !code.isString() || !isJoinCode(code.toString()))
        return false;
    message.name = name.toString();
    message.code = code.toString();
    return true;
}

// A welcome: the seat given and the version.
bool readWelcome(const QCborMap& map, Message& message)
{
    const auto seat = intIn(map.value(KeySeat), 1, MaxSeats - 1);
    if (!seat || !readVersion(map, message))
        return false;
    message.seat = *seat;
    return true;
}

// A refusal: its reason and the version.
bool readRefused(const QCborMap& map, Message& message)
{
    const auto reason = valueOf(ReasonNames, map.value(KeyReason));
    if (!reason || !readVersion(map, message))
        return false;
    message.reason = *reason;
    return true;
}

// The lobby: one to MaxSeats seats, none taken twice.
bool readLobby(const QCborMap& map, Message& message)
{
    const QCborValue seats = map.value(KeySeats);
    if (!seats.isArray())
        return false;
    const QCborArray list = seats.toArray();
    if (list.isEmpty() || list.size() > MaxSeats)
        return false;
    QSet<int> taken;
    for (const QCborValue& each : list) {
        const auto seat = readLobbySeat(each);
        if (!seat || taken.contains(seat->seat))
            return false;
        taken.insert(seat->seat);
        message.seats.append(*seat);
    }
    return true;
}

// A player's action; a placement's cell and only a placement's.
bool readAction(const QCborMap& map, Message& message)
{
    const auto action = valueOf(ActionNames, map.value(KeyAction));
    if (!action)
        return false;
    message.action = *action;
    const QCborValue cell = map.value(KeyCell);
    if (*action == PlayerAction::Place) {
        const auto number = intIn(cell, 0, MaxCell);
        if (!number)
            return false;
        message.cell = *number;
    } else if (!cell.isUndefined()) {
        return false; // a cell only belongs to a placement
    }
    return true;
}

// The table's state as the host sends it: a map, read further up.
bool readState(const QCborMap& map, Message& message)
{
    const QCborValue state = map.value(KeyState);
    if (!state.isMap())
        return false;
    message.state = state.toMap();
    return true;
}

// The picture: a carried one by number or the bytes of a file, exactly one of the two.
bool readPicture(const QCborMap& map, Message& message)
{
    const QCborValue builtIn = map.value(KeyBuiltIn);
    const QCborValue bytes = map.value(KeyBytes);
    if (builtIn.isUndefined() == bytes.isUndefined())
        return false; // exactly one of the two
    if (!builtIn.isUndefined()) {
        const auto number = intIn(builtIn, 0, MaxBuiltInPicture);
        if (!number)
            return false;
        message.builtIn = *number;
        return true;
    }
    if (!bytes.isByteArray())
        return false;
    message.pictureBytes = bytes.toByteArray();
    message.builtIn = -1;
    return !message.pictureBytes.isEmpty() && message.pictureBytes.size() <= MaxPictureBytes;
}

// A sound effect to play, by its number on the wire (from 1, not 101).
bool readSound(const QCborMap& map, Message& message)
{
    const auto number = intIn(map.value(KeyNumber), 0, MaxSoundNumber);
    if (!number)
        return false;
    message.number = *number;
    return true;
}

// A notice: a text number and its arguments.
bool readNotice(const QCborMap& map, Message& message)
{
    const auto number = intIn(map.value(KeyNumber), MinTextNumber, MaxTextNumber);
    if (!number)
        return false;
    message.number = *number;
    const QCborValue arguments = map.value(KeyArguments);
    if (arguments.isUndefined())
        return true;
    if (!arguments.isArray() || arguments.toArray().size() > MaxNoticeArguments)
        return false;
    for (const QCborValue& each : arguments.toArray()) {
        if (!each.isString())
            return false;
        const QString text = each.toString();
        if (text.size() > MaxNoticeArgumentLength || !hasNoControlCharacters(text, true))
            return false;
        message.arguments.append(text);
    }
    return true;
}

bool readBody(const QCborMap& map, Message& message)
{
    switch (message.kind) {
    case MessageKind::Hello:
        return readHello(map, message);
    case MessageKind::Welcome:
        return readWelcome(map, message);
    case MessageKind::Refused:
        return readRefused(map, message);
    case MessageKind::Lobby:
        return readLobby(map, message);
    case MessageKind::Action:
        return readAction(map, message);
    case MessageKind::State:
        return readState(map, message);
    case MessageKind::Picture:
        return readPicture(map, message);
    case MessageKind::Sound:
        return readSound(map, message);
    case MessageKind::Notice:
        return readNotice(map, message);
    case MessageKind::Bye:
        return true;
    }
    return false;
}

} // namespace

QByteArray encodeMessage(const Message& message)
{
    QCborMap map;
    map.insert(KeyKind, nameOf(KindNames, message.kind));
    switch (message.kind) {
    case MessageKind::Hello:
        map.insert(KeyMajor, message.major);
        map.insert(KeyMinor, message.minor);
        map.insert(KeyName, message.name);
        map.insert(KeyCode, message.code);
        break;
    case MessageKind::Welcome:
        map.insert(KeySeat, message.seat);
        map.insert(KeyMajor, message.major);
        map.insert(KeyMinor, message.minor);
        break;
    case MessageKind::Refused:
        map.insert(KeyReason, nameOf(ReasonNames, message.reason));
        map.insert(KeyMajor, message.major);
        map.insert(KeyMinor, message.minor);
        break;
    case MessageKind::Lobby: {
        QCborArray seats;
        for (const LobbySeat& seat : message.seats)
            seats.append(QCborMap{{KeySeat, seat.seat}, {KeyName, seat.name}, {KeyConnected, seat.connected}});
        map.insert(KeySeats, seats);
        break;
    }
    case MessageKind::Action:
        map.insert(KeyAction, nameOf(ActionNames, message.action));
        if (message.action == PlayerAction::Place)
            map.insert(KeyCell, message.cell);
        break;
    case MessageKind::State:
        map.insert(KeyState, message.state);
        break;
    case MessageKind::Picture:
        if (message.builtIn >= 0)
            map.insert(KeyBuiltIn, message.builtIn);
        else
            map.insert(KeyBytes, message.pictureBytes);
        break;
    case MessageKind::Sound:
        map.insert(KeyNumber, message.number);
        break;
    case MessageKind::Notice:
        map.insert(KeyNumber, message.number);
        if (!message.arguments.isEmpty())
            map.insert(KeyArguments, QCborArray::fromStringList(message.arguments));
        break;
    case MessageKind::Bye:
        break;
    }
    return QCborValue(map).toCbor();
}

std::optional<Message> decodeMessage(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > MaxPictureBytes + PictureOverheadBytes)
        return std::nullopt;
    if (!Scanner(bytes).scanAll(bytes.size()))
        return std::nullopt;
    QCborParserError error;
    const QCborValue value = QCborValue::fromCbor(bytes, &error);
    if (error.error != QCborError::NoError || !value.isMap())
        return std::nullopt;
    const QCborMap map = value.toMap();
    if (!hasTextKeysOnce(map))
        return std::nullopt;
    const auto kind = valueOf(KindNames, map.value(KeyKind));
    if (!kind)
        return std::nullopt;
    // Only a player's own picture makes a message larger than the rest.
    if (bytes.size() > MaxMessageBytes && *kind != MessageKind::Picture)
        return std::nullopt;
    Message message;
    message.kind = *kind;
    if (!readBody(map, message))
        return std::nullopt;
    return message;
}

bool isPlayableName(const QString& name)
{
    const QList<uint> ucs4 = name.toUcs4();
    const qsizetype characters = ucs4.size();
    // A lone surrogate would come back as a replacement character.
    if (QString::fromUcs4(reinterpret_cast<const char32_t*>(ucs4.constData()), characters) != name)
        return false;
    return characters >= 1 && characters <= MaxNameLength && isShowableName(name);
}

bool isShowableName(const QString& name)
{
    if (!hasNoControlCharacters(name, false))
        return false;
    const QList<uint> characters = name.normalized(QString::NormalizationForm_C).toUcs4();
    // Accents stacked beyond any language's need would draw over the lines around.
    int marksInARow = 0;
    for (const uint c : characters) {
        const QChar::Category category = QChar::category(c);
        const bool mark = category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing;
        marksInARow = mark ? marksInARow + 1 : 0;
        if (marksInARow > MaxMarksInARow)
            return false;
    }
    return !std::all_of(characters.cbegin(), characters.cend(), [](uint c) { return isBlankLooking(c); });
}

bool isBlankLooking(char32_t character)
{
    switch (character) {
    case U'\u2800': // braille pattern blank
    case U'\u3164': // Hangul filler
    case U'\uFFA0': // half-width Hangul filler
    case U'\u115F': // Hangul choseong filler
    case U'\u1160': // Hangul jungseong filler
        return true;
    default:
        break;
    }
    // Letters, digits, punctuation and symbols draw something; marks only on
    // them, spaces, controls, format characters and unassigned ones nothing.
    switch (QChar::category(character)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return QChar::isSpace(character);
    default:
        return true;
    }
}

bool isJoinCode(const QString& code)
{
    if (code.size() != JoinCodeDigits)
        return false;
    for (const QChar c : code)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace tess::net
