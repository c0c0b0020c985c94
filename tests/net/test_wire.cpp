// The messages of network play on the wire: every kind comes back as it went,
// and whatever is not exactly a well-formed message within its limits is
// refused, whatever shape the damage takes.

#include "net/Wire.h"
#include "support/TestEnvironment.h"

#include <QCborArray>
#include <QCborStreamWriter>
#include <QCborValue>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QRandomGenerator>

#include <limits>

using namespace tess::net;

namespace {

QByteArray cbor(const QCborMap& map)
{
    return QCborValue(map).toCbor();
}

QByteArray cbor(const QCborValue& value)
{
    return value.toCbor();
}

// A map written item by item, for the shapes QCborMap will not make
// (the same key twice, broken text).
QByteArray rawMap(const QList<QByteArray>& items)
{
    Q_ASSERT(items.size() % 2 == 0 && items.size() / 2 < 24);
    QByteArray bytes(1, char(0xA0 + items.size() / 2));
    for (const QByteArray& item : items)
        bytes += item;
    return bytes;
}

QByteArray text(const char* value)
{
    return cbor(QCborValue(QString::fromUtf8(value)));
}

QCborMap hello()
{
    return {{QStringLiteral("t"), QStringLiteral("hello")},
            {QStringLiteral("major"), ProtocolMajor},
            {QStringLiteral("minor"), ProtocolMinor},
            {QStringLiteral("name"), QStringLiteral("Anna")},
            {QStringLiteral("code"), QStringLiteral("004200")}};
}

QCborMap with(QCborMap map, const QString& key, const QCborValue& value)
{
    map.insert(key, value);
    return map;
}

QCborMap without(QCborMap map, const QString& key)
{
    map.remove(key);
    return map;
}

QCborMap kindOnly(const char* kind)
{
    return {{QStringLiteral("t"), QString::fromLatin1(kind)}};
}

QCborMap lobbySeat(const QCborValue& seat, const QCborValue& name, const QCborValue& connected)
{
    return {{QStringLiteral("seat"), seat}, {QStringLiteral("name"), name}, {QStringLiteral("on"), connected}};
}

QCborMap lobby(const QCborArray& seats)
{
    return with(kindOnly("lobby"), QStringLiteral("seats"), seats);
}

QCborMap action(const char* what)
{
    return with(kindOnly("action"), QStringLiteral("act"), QString::fromLatin1(what));
}

QCborMap state(const QCborValue& state)
{
    return with(kindOnly("state"), QStringLiteral("state"), state);
}

QCborMap notice(int number, const QCborValue& arguments)
{
    QCborMap map = with(kindOnly("notice"), QStringLiteral("n"), number);
    if (!arguments.isUndefined())
        map.insert(QStringLiteral("args"), arguments);
    return map;
}

// Nested lists `depth` deep around a number.
QCborValue nested(int depth)
{
    QCborValue value(1);
    for (int i = 0; i < depth; ++i)
        value = QCborArray{value};
    return value;
}

Message roundTrip(const Message& message)
{
    const std::optional<Message> back = decodeMessage(encodeMessage(message));
    if (back)
        return *back;
    Message refused; // stands out in every comparison below
    refused.major = refused.minor = -1;
    return refused;
}

} // namespace

class TestWire : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyKindComesBackAsItWent();
    void aPlayersPictureMayBeLargeButNoLarger();
    void malformedMessagesAreRefused_data();
    void malformedMessagesAreRefused();
    void whatANewerPeerMaySendIsRead();
    void namesAndCodes_data();
    void namesAndCodes();
    void randomBytesAndDamagedMessagesNeverCrash();
    void theFuzzSeedsAreMessages();
};

void TestWire::everyKindComesBackAsItWent()
{
    Message helloMessage;
    helloMessage.kind = MessageKind::Hello;
    helloMessage.name = QStringLiteral("Zoë 🦊");
    helloMessage.code = QStringLiteral("000042");
    Message back = roundTrip(helloMessage);
    QCOMPARE(back.kind, MessageKind::Hello);
    QCOMPARE(back.major, ProtocolMajor);
    QCOMPARE(back.minor, ProtocolMinor);
    QCOMPARE(back.name, helloMessage.name);
    QCOMPARE(back.code, helloMessage.code);

    Message welcome;
    welcome.kind = MessageKind::Welcome;
    welcome.seat = 3;
    welcome.minor = 7;
    back = roundTrip(welcome);
    QCOMPARE(back.kind, MessageKind::Welcome);
    QCOMPARE(back.seat, 3);
    QCOMPARE(back.minor, 7);

    for (RefusalReason reason : {RefusalReason::Version, RefusalReason::Code, RefusalReason::Full,
                                 RefusalReason::NameTaken, RefusalReason::GameRunning}) {
        Message refused;
        refused.kind = MessageKind::Refused;
        refused.reason = reason;
        refused.major = 2;
        refused.minor = 5;
        back = roundTrip(refused);
        QCOMPARE(back.kind, MessageKind::Refused);
        QCOMPARE(back.reason, reason);
        QCOMPARE(back.major, 2);
        QCOMPARE(back.minor, 5);
    }

    Message lobbyMessage;
    lobbyMessage.kind = MessageKind::Lobby;
    lobbyMessage.seats = {{0, QStringLiteral("Host"), true},
                          {1, QStringLiteral("Anna"), false},
                          {3, QStringLiteral("Bob"), true}};
    back = roundTrip(lobbyMessage);
    QCOMPARE(back.kind, MessageKind::Lobby);
    QCOMPARE(back.seats.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(back.seats[i].seat, lobbyMessage.seats[i].seat);
        QCOMPARE(back.seats[i].name, lobbyMessage.seats[i].name);
        QCOMPARE(back.seats[i].connected, lobbyMessage.seats[i].connected);
    }

    for (auto [what, cell] : {std::pair{PlayerAction::Draw, -1}, std::pair{PlayerAction::Place, 0},
                              std::pair{PlayerAction::Place, 299}, std::pair{PlayerAction::Hint, -1}}) {
        Message actionMessage;
        actionMessage.kind = MessageKind::Action;
        actionMessage.action = what;
        actionMessage.cell = cell;
        back = roundTrip(actionMessage);
        QCOMPARE(back.kind, MessageKind::Action);
        QCOMPARE(back.action, what);
        QCOMPARE(back.cell, cell);
    }

    Message stateMessage;
    stateMessage.kind = MessageKind::State;
    stateMessage.state = {{QStringLiteral("cells"), QCborArray{1, 2, 3}},
                          {QStringLiteral("players"), QCborArray{QCborMap{{QStringLiteral("score"), 12}}}},
                          {QStringLiteral("time"), 0.5},
                          {QStringLiteral("lowest"), std::numeric_limits<qint64>::min()},
                          {QStringLiteral("offset"), -1}};
    back = roundTrip(stateMessage);
    QCOMPARE(back.kind, MessageKind::State);
    QCOMPARE(back.state, stateMessage.state);

    Message builtIn;
    builtIn.kind = MessageKind::Picture;
    builtIn.builtIn = 203;
    back = roundTrip(builtIn);
    QCOMPARE(back.kind, MessageKind::Picture);
    QCOMPARE(back.builtIn, 203);
    QVERIFY(back.pictureBytes.isEmpty());

    Message sound;
    sound.kind = MessageKind::Sound;
    sound.number = 99;
    back = roundTrip(sound);
    QCOMPARE(back.kind, MessageKind::Sound);
    QCOMPARE(back.number, 99);

    Message noticeMessage;
    noticeMessage.kind = MessageKind::Notice;
    noticeMessage.number = 217;
    noticeMessage.arguments = {QStringLiteral("Anna"), QString(200, u'x'), QString(), QStringLiteral("two\nlines")};
    back = roundTrip(noticeMessage);
    QCOMPARE(back.kind, MessageKind::Notice);
    QCOMPARE(back.number, 217);
    QCOMPARE(back.arguments, noticeMessage.arguments);

    Message bye;
    bye.kind = MessageKind::Bye;
    bye.major = 0; // not sent: a goodbye carries nothing
    back = roundTrip(bye);
    QCOMPARE(back.kind, MessageKind::Bye);
    QCOMPARE(back.major, ProtocolMajor);
}

void TestWire::aPlayersPictureMayBeLargeButNoLarger()
{
    Message picture;
    picture.kind = MessageKind::Picture;
    picture.pictureBytes = QByteArray(MaxPictureBytes, 'p');
    picture.pictureBytes[0] = 'B';
    picture.pictureBytes[MaxPictureBytes - 1] = 'e';
    const QByteArray bytes = encodeMessage(picture);
    QVERIFY(bytes.size() > MaxMessageBytes);
    const std::optional<Message> back = decodeMessage(bytes);
    QVERIFY(back);
    QCOMPARE(back->kind, MessageKind::Picture);
    QCOMPARE(back->builtIn, -1);
    QCOMPARE(back->pictureBytes, picture.pictureBytes);

    picture.pictureBytes.append('!');
    QVERIFY(!decodeMessage(encodeMessage(picture)));
    // Any other kind stays within the ordinary limit: a long state is refused.
    QVERIFY(!decodeMessage(cbor(state(QCborMap{{QStringLiteral("blob"), QByteArray(MaxMessageBytes, 'x')}}))));
    QVERIFY(decodeMessage(cbor(state(QCborMap{{QStringLiteral("blob"), QByteArray(MaxMessageBytes - 100, 'x')}}))));
}

void TestWire::malformedMessagesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = cbor(hello());
    QVERIFY(decodeMessage(good)); // the shape the damage is done to

    // Not a message at all.
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("a number") << cbor(QCborValue(5));
    QTest::newRow("a list") << cbor(QCborValue(QCborArray{QStringLiteral("hello")}));
    QTest::newRow("JSON") << QByteArray(R"({"t":"hello","major":2,"minor":0,"name":"Anna","code":"004200"})");
    QTest::newRow("cut short") << good.left(good.size() - 3);
    QTest::newRow("a byte after the map") << good + QByteArray(1, '\0');
    QTest::newRow("two messages") << good + good;
    QTest::newRow("a map of a huge length") << QByteArray::fromHex("bb00ffffffffffffff");
    QTest::newRow("a list of a huge length in the state")
        << QByteArray::fromHex("a26174657374617465657374617465") + QByteArray::fromHex("9bffffffffffffffff");

    // The kind.
    QTest::newRow("no kind") << cbor(without(hello(), QStringLiteral("t")));
    QTest::newRow("an unknown kind") << cbor(with(hello(), QStringLiteral("t"), QStringLiteral("dance")));
    QTest::newRow("the kind as a number") << cbor(with(hello(), QStringLiteral("t"), 0));
    QTest::newRow("the kind in capitals") << cbor(with(hello(), QStringLiteral("t"), QStringLiteral("HELLO")));

    // The map itself.
    QTest::newRow("the same key twice") << rawMap({text("t"), text("sound"), text("n"), cbor(QCborValue(1)),
                                                   text("n"), cbor(QCborValue(2))});
    QTest::newRow("a number as a key") << rawMap({text("t"), text("bye"), cbor(QCborValue(1)), cbor(QCborValue(1))});
    {
        QCborMap many = kindOnly("bye");
        for (int i = 0; i < 16; ++i)
            many.insert(QStringLiteral("extra%1").arg(i), i);
        QTest::newRow("too many keys") << cbor(many);
    }
    QTest::newRow("an overlong text") << cbor(with(kindOnly("bye"), QStringLiteral("x"), QString(1025, u'a')));
    QTest::newRow("an overlong text in the state")
        << cbor(state(QCborMap{{QStringLiteral("x"), QString(1025, u'a')}}));
    QTest::newRow("broken UTF-8") << rawMap({text("t"), text("bye"), text("x"), QByteArray::fromHex("62c328")});
    QTest::newRow("a lone surrogate in UTF-8") << rawMap({text("t"), text("bye"), text("x"), QByteArray::fromHex("63eda080")});
    QTest::newRow("a tag") << cbor(state(QCborMap{{QStringLiteral("when"), QCborValue(QDateTime::fromSecsSinceEpoch(0))}}));
    QTest::newRow("an undefined value") << cbor(state(QCborMap{{QStringLiteral("x"), QCborValue(QCborSimpleType::Undefined)}}));
    QTest::newRow("an odd simple value") << cbor(state(QCborMap{{QStringLiteral("x"), QCborValue(QCborSimpleType(99))}}));
    QTest::newRow("nested too deep") << cbor(state(QCborMap{{QStringLiteral("x"), nested(5)}}));
    {
        QCborArray items;
        for (int i = 0; i < 20001; ++i)
            items.append(i % 24);
        QTest::newRow("too many items") << cbor(state(QCborMap{{QStringLiteral("x"), items}}));
    }
    {
        QByteArray longState = cbor(state(QCborMap{{QStringLiteral("blob"), QByteArray(MaxMessageBytes, 'x')}}));
        QTest::newRow("a state over the message limit") << longState;
    }
    QTest::newRow("far too large for any message") << QByteArray(MaxPictureBytes + 8192, '\xa0');

    // Hello.
    QTest::newRow("hello: no name") << cbor(without(hello(), QStringLiteral("name")));
    QTest::newRow("hello: name a number") << cbor(with(hello(), QStringLiteral("name"), 7));
    QTest::newRow("hello: empty name") << cbor(with(hello(), QStringLiteral("name"), QString()));
    QTest::newRow("hello: blank name") << cbor(with(hello(), QStringLiteral("name"), QStringLiteral("   ")));
    QTest::newRow("hello: 21 characters") << cbor(with(hello(), QStringLiteral("name"), QString(21, u'n')));
    QTest::newRow("hello: a line break in the name") << cbor(with(hello(), QStringLiteral("name"), QStringLiteral("An\nna")));
    QTest::newRow("hello: a direction override in the name")
        << cbor(with(hello(), QStringLiteral("name"), QStringLiteral("Anna\u202Egpj.exe")));
    QTest::newRow("hello: no code") << cbor(without(hello(), QStringLiteral("code")));
    QTest::newRow("hello: a short code") << cbor(with(hello(), QStringLiteral("code"), QStringLiteral("042")));
    QTest::newRow("hello: a letter in the code") << cbor(with(hello(), QStringLiteral("code"), QStringLiteral("04a0")));
    QTest::newRow("hello: other digits in the code") << cbor(with(hello(), QStringLiteral("code"), QStringLiteral("٠٤٢٠")));
    QTest::newRow("hello: the code a number") << cbor(with(hello(), QStringLiteral("code"), 420));
    QTest::newRow("hello: no version") << cbor(without(hello(), QStringLiteral("major")));
    QTest::newRow("hello: the version a text") << cbor(with(hello(), QStringLiteral("major"), QStringLiteral("1")));
    QTest::newRow("hello: the version a fraction") << cbor(with(hello(), QStringLiteral("minor"), 0.5));
    QTest::newRow("hello: a negative version") << cbor(with(hello(), QStringLiteral("major"), -1));
    QTest::newRow("hello: a huge version") << cbor(with(hello(), QStringLiteral("minor"), qint64(1) << 40));

    // Welcome and Refused.
    const QCborMap welcome{{QStringLiteral("t"), QStringLiteral("welcome")}, {QStringLiteral("seat"), 1},
                           {QStringLiteral("major"), 1}, {QStringLiteral("minor"), 0}};
    QVERIFY(decodeMessage(cbor(welcome)));
    QTest::newRow("welcome: seat 0, the host's") << cbor(with(welcome, QStringLiteral("seat"), 0));
    QTest::newRow("welcome: seat 4") << cbor(with(welcome, QStringLiteral("seat"), 4));
    QTest::newRow("welcome: no seat") << cbor(without(welcome, QStringLiteral("seat")));
    QTest::newRow("welcome: no version") << cbor(without(welcome, QStringLiteral("minor")));
    const QCborMap refused{{QStringLiteral("t"), QStringLiteral("refused")}, {QStringLiteral("reason"), QStringLiteral("full")},
                           {QStringLiteral("major"), 1}, {QStringLiteral("minor"), 0}};
    QVERIFY(decodeMessage(cbor(refused)));
    QTest::newRow("refused: an unknown reason") << cbor(with(refused, QStringLiteral("reason"), QStringLiteral("moody")));
    QTest::newRow("refused: the reason a number") << cbor(with(refused, QStringLiteral("reason"), 2));
    QTest::newRow("refused: no version") << cbor(without(refused, QStringLiteral("major")));

    // Lobby.
    const QCborMap anna = lobbySeat(0, QStringLiteral("Anna"), true);
    QVERIFY(decodeMessage(cbor(lobby({anna}))));
    QTest::newRow("lobby: no seats") << cbor(lobby({}));
    QTest::newRow("lobby: seats not a list") << cbor(with(kindOnly("lobby"), QStringLiteral("seats"), anna));
    QTest::newRow("lobby: five seats")
        << cbor(lobby({anna, lobbySeat(1, QStringLiteral("B"), true), lobbySeat(2, QStringLiteral("C"), true),
                       lobbySeat(3, QStringLiteral("D"), true), lobbySeat(3, QStringLiteral("E"), true)}));
    QTest::newRow("lobby: a seat twice") << cbor(lobby({anna, lobbySeat(0, QStringLiteral("Bob"), true)}));
    QTest::newRow("lobby: seat 4") << cbor(lobby({lobbySeat(4, QStringLiteral("Bob"), true)}));
    QTest::newRow("lobby: seat -1") << cbor(lobby({lobbySeat(-1, QStringLiteral("Bob"), true)}));
    QTest::newRow("lobby: a bad name") << cbor(lobby({lobbySeat(1, QString(21, u'b'), true)}));
    QTest::newRow("lobby: connected a number") << cbor(lobby({lobbySeat(1, QStringLiteral("Bob"), 1)}));
    QTest::newRow("lobby: a seat not a map") << cbor(lobby({QStringLiteral("Bob")}));

    // Action.
    QVERIFY(decodeMessage(cbor(with(action("place"), QStringLiteral("cell"), 299))));
    QTest::newRow("action: unknown") << cbor(action("cheat"));
    QTest::newRow("action: none") << cbor(kindOnly("action"));
    QTest::newRow("action: place without a cell") << cbor(action("place"));
    QTest::newRow("action: cell 300") << cbor(with(action("place"), QStringLiteral("cell"), 300));
    QTest::newRow("action: cell -1") << cbor(with(action("place"), QStringLiteral("cell"), -1));
    QTest::newRow("action: a cell beyond 64 bits")
        << rawMap({text("t"), text("action"), text("act"), text("place"), text("cell"), QByteArray::fromHex("3bffffffffffffffff")});
    QTest::newRow("action: a cell beyond 64 bits, positive")
        << rawMap({text("t"), text("action"), text("act"), text("place"), text("cell"), QByteArray::fromHex("1bffffffffffffffff")});
    QTest::newRow("action: the cell a fraction") << cbor(with(action("place"), QStringLiteral("cell"), 1.0));
    QTest::newRow("action: the cell a text") << cbor(with(action("place"), QStringLiteral("cell"), QStringLiteral("1")));
    QTest::newRow("action: a draw with a cell") << cbor(with(action("draw"), QStringLiteral("cell"), 3));

    // State.
    QTest::newRow("state: none") << cbor(kindOnly("state"));
    QTest::newRow("state: a list") << cbor(state(QCborArray{1, 2}));

    // Picture.
    const QCborMap picture = kindOnly("picture");
    QTest::newRow("picture: neither number nor bytes") << cbor(picture);
    QTest::newRow("picture: both")
        << cbor(with(with(picture, QStringLiteral("pic"), 201), QStringLiteral("bytes"), QByteArray("BM")));
    QTest::newRow("picture: number -1") << cbor(with(picture, QStringLiteral("pic"), -1));
    QTest::newRow("picture: number 10000") << cbor(with(picture, QStringLiteral("pic"), 10000));
    QTest::newRow("picture: empty bytes") << cbor(with(picture, QStringLiteral("bytes"), QByteArray()));
    QTest::newRow("picture: bytes as text") << cbor(with(picture, QStringLiteral("bytes"), QStringLiteral("BM")));

    // Sound and Notice.
    QTest::newRow("sound: 100") << cbor(with(kindOnly("sound"), QStringLiteral("n"), 100));
    QTest::newRow("sound: -1") << cbor(with(kindOnly("sound"), QStringLiteral("n"), -1));
    QTest::newRow("sound: none") << cbor(kindOnly("sound"));
    QTest::newRow("notice: text 0") << cbor(notice(0, {}));
    QTest::newRow("notice: text 1000") << cbor(notice(1000, {}));
    QTest::newRow("notice: five arguments")
        << cbor(notice(216, QCborArray{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")}));
    QTest::newRow("notice: an argument of 201 characters") << cbor(notice(216, QCborArray{QString(201, u'a')}));
    QTest::newRow("notice: an argument a number") << cbor(notice(216, QCborArray{5}));
    QTest::newRow("notice: a control character") << cbor(notice(216, QCborArray{QStringLiteral("a\u0007b")}));
    QTest::newRow("notice: arguments not a list") << cbor(notice(216, QStringLiteral("a")));
}

void TestWire::malformedMessagesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!decodeMessage(bytes));
}

void TestWire::whatANewerPeerMaySendIsRead()
{
    // A newer minor version adds fields an older peer passes over.
    std::optional<Message> message = decodeMessage(cbor(with(with(hello(), QStringLiteral("minor"), 3),
                                                             QStringLiteral("colour"), QStringLiteral("blue"))));
    QVERIFY(message);
    QCOMPARE(message->minor, 3);
    QCOMPARE(message->name, QStringLiteral("Anna"));
    // Another major version's hello is read as far as its version, so the
    // host can say why it refuses: its name and code may follow other rules.
    message = decodeMessage(cbor(with(without(with(hello(), QStringLiteral("major"), ProtocolMajor + 1), QStringLiteral("code")),
                                      QStringLiteral("name"), 12)));
    QVERIFY(message);
    QCOMPARE(message->kind, MessageKind::Hello);
    QCOMPARE(message->major, ProtocolMajor + 1);
    QVERIFY(message->name.isEmpty());
    QVERIFY(message->code.isEmpty());
}

void TestWire::namesAndCodes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("playable");
    QTest::newRow("plain") << QStringLiteral("Anna") << true;
    QTest::newRow("one character") << QStringLiteral("A") << true;
    QTest::newRow("20 characters") << QString(20, u'x') << true;
    QTest::newRow("21 characters") << QString(21, u'x') << false;
    QTest::newRow("20 characters beyond the basic plane") << QString(QStringLiteral("😀")).repeated(20) << true;
    QTest::newRow("a space inside") << QStringLiteral("Anna B") << true;
    QTest::newRow("accents and other scripts") << QStringLiteral("Łódź Ζωή 王") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank") << QStringLiteral("  ") << false;
    QTest::newRow("a tab") << QStringLiteral("A\tB") << false;
    QTest::newRow("a NUL") << QString(QStringLiteral("AB")).insert(1, QChar(0)) << false;
    QTest::newRow("a zero-width space") << QStringLiteral("A\u200BB") << false;
    QTest::newRow("a line separator") << QStringLiteral("A\u2028B") << false;
    QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("A") << false;
}

void TestWire::namesAndCodes()
{
    QFETCH(QString, name);
    QFETCH(bool, playable);
    QCOMPARE(isPlayableName(name), playable);
    if (QTest::currentDataTag() == QByteArray("plain")) {
        QVERIFY(isJoinCode(QStringLiteral("000000")));
        QVERIFY(isJoinCode(QStringLiteral("999999")));
        QVERIFY(!isJoinCode(QStringLiteral("9999")));
        QVERIFY(!isJoinCode(QStringLiteral("1234567")));
        QVERIFY(!isJoinCode(QStringLiteral(" 12345")));
        QVERIFY(!isJoinCode(QStringLiteral("123-45")));
        QVERIFY(!isJoinCode(QStringLiteral("١٢٣٤٥٦")));
    }
}

void TestWire::randomBytesAndDamagedMessagesNeverCrash()
{
    // Each message of every kind, with bytes flipped, cut and added: whatever
    // comes back must still be a sound message of a known kind.
    Message noticeMessage;
    noticeMessage.kind = MessageKind::Notice;
    noticeMessage.number = 216;
    noticeMessage.arguments = {QStringLiteral("Anna")};
    Message lobbyMessage;
    lobbyMessage.kind = MessageKind::Lobby;
    lobbyMessage.seats = {{0, QStringLiteral("Host"), true}, {2, QStringLiteral("Bob"), false}};
    Message place;
    place.kind = MessageKind::Action;
    place.action = PlayerAction::Place;
    place.cell = 12;
    const QList<QByteArray> samples{cbor(hello()), encodeMessage(noticeMessage), encodeMessage(lobbyMessage),
                                    encodeMessage(place), cbor(state(QCborMap{{QStringLiteral("a"), QCborArray{1, QCborMap{{1, 2}}}}}))};
    QRandomGenerator random(20240611);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes = samples[random.bounded(int(samples.size()))];
        const int changes = 1 + random.bounded(4);
        for (int c = 0; c < changes && !bytes.isEmpty(); ++c) {
            const int at = random.bounded(int(bytes.size()));
            switch (random.bounded(3)) {
            case 0: bytes[at] = char(random.bounded(256)); break;
            case 1: bytes.remove(at, 1 + random.bounded(3)); break;
            default: bytes.insert(at, char(random.bounded(256))); break;
            }
        }
        const std::optional<Message> message = decodeMessage(bytes);
        if (!message)
            continue;
        ++accepted;
        if (message->kind == MessageKind::Hello && message->major == ProtocolMajor) {
            QVERIFY(isPlayableName(message->name));
            QVERIFY(isJoinCode(message->code));
        }
        if (message->kind == MessageKind::Action && message->action == PlayerAction::Place)
            QVERIFY(message->cell >= 0 && message->cell <= 299);
        for (const LobbySeat& seat : message->seats)
            QVERIFY(seat.seat >= 0 && seat.seat < MaxSeats && isPlayableName(seat.name));
        QVERIFY(message->arguments.size() <= 4);
    }
    // Some damage leaves a sound message (a changed letter of a name, say).
    QVERIFY(accepted > 0);
}

void TestWire::theFuzzSeedsAreMessages()
{
    // The fuzzer starts from sound messages of every kind (tools/make_fuzz_seeds.py).
    const QDir seeds(QStringLiteral(TESSARON_SOURCE_DIR "/fuzz/corpus/net_message"));
    const QStringList names = seeds.entryList(QDir::Files);
    QVERIFY(names.size() >= 10);
    QSet<MessageKind> kinds;
    for (const QString& name : names) {
        QFile file(seeds.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::optional<Message> message = decodeMessage(file.readAll());
        QVERIFY2(message, qPrintable(name));
        kinds.insert(message->kind);
    }
    QCOMPARE(kinds.size(), 10);
}

TESSARON_TEST_MAIN(TestWire)
#include "test_wire.moc"
