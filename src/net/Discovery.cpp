#include "net/Discovery.h"

#include "net/DiscoveryRecord.h"
#include "net/NetLimits.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QHostAddress>
#include <QMap>
#include <QNetworkInterface>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <functional>

// The Avahi daemon's D-Bus interface, as its introspection files describe it.
// Every call is asynchronous: an absent or slow daemon never holds up the
// player's window, and its answer (or the bus's error) arrives as an event.
//
// Each Discovery has a connection of its own to the system bus. When it goes,
// the connection closes, and the daemon drops everything it published or
// browsed for it, even if the last goodbyes were never sent.
//
// The daemon sends a browser's or resolver's signals as soon as the object
// exists, which may be before the answer that names the object arrives (so
// the Avahi client library of 0.8 loses them). Here the signals are taken for
// every object path from the start, and those of a path not yet known are
// kept until the answer names it.

namespace tess::net {

namespace {

const QString AvahiService = QStringLiteral("org.freedesktop.Avahi");
const QString ServerInterface = QStringLiteral("org.freedesktop.Avahi.Server");
const QString EntryGroupInterface = QStringLiteral("org.freedesktop.Avahi.EntryGroup");
const QString BrowserInterface = QStringLiteral("org.freedesktop.Avahi.ServiceBrowser");
const QString ResolverInterface = QStringLiteral("org.freedesktop.Avahi.ServiceResolver");
const QString CollisionError = QStringLiteral("org.freedesktop.Avahi.CollisionError");

constexpr qint32 AnyInterface = -1;
constexpr qint32 AnyProtocol = -1;
constexpr qint32 IPv4 = 0;

// Avahi's server and entry group states.
constexpr int ServerRegistering = 1;
constexpr int ServerRunning = 2;
constexpr int ServerCollision = 3;
constexpr int ServerFailure = 4;
constexpr int GroupCollision = 3;
constexpr int GroupFailure = 4;

// A daemon that has not answered in this time counts as none.
constexpr int CallTimeoutMilliseconds = 10 * 1000;
// More services are followed than listed, so a few malformed ones do not
// crowd out the games; beyond this a network floods us, and one of the
// flood's makes room for a new one (serviceToForget).
constexpr int MaxFollowedServices = 2 * MaxListedGames;
constexpr int MaxEarlySignals = 256;
// A name taken this often over is given up on.
constexpr int MaxNameAttempts = 12;

bool sameGame(const Discovery::Game& a, const Discovery::Game& b)
{
    return a.name == b.name && a.address == b.address && a.port == b.port && a.version == b.version
        && a.board == b.board && a.freeSeats == b.freeSeats;
}

Discovery::Problem problemOf(const QDBusError& error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
    case QDBusError::Disconnected:
    case QDBusError::NoServer:
    case QDBusError::NoNetwork:
        return Discovery::Problem::NoDaemon;
    default:
        return error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
            ? Discovery::Problem::NoDaemon
            : Discovery::Problem::Failed;
    }
}

// A link-local IPv6 address is of use only with its interface.
QString withScope(const QString& address, qint32 interfaceIndex)
{
    QHostAddress host(address);
    if (host.protocol() != QAbstractSocket::IPv6Protocol || !host.isLinkLocal() || !host.scopeId().isEmpty())
        return address;
    const QString name = QNetworkInterface::interfaceNameFromIndex(interfaceIndex);
    if (name.isEmpty())
        return address;
    host.setScopeId(name);
    return host.toString();
}

} // namespace

// The receiver of the daemon's signals (QtDBus wants a slot by name).
class AvahiSignals : public QObject {
    Q_OBJECT

public:
    std::function<void(const QDBusMessage&)> handler;

public Q_SLOTS:
    void receive(const QDBusMessage& message) { handler(message); }
};

struct Discovery::Private {
    explicit Private(Discovery& owner) : q(owner) {}

    Discovery& q;
    QString connectionName;
    QDBusConnection bus{QString()};
    AvahiSignals signalSink; // also the parent of the calls under way

    bool running = false;
    Problem problem = Problem::None;
    QString problemText;
    // Grows when the daemon goes or comes back: answers of the old one are dropped.
    quint64 daemonRound = 0;

    // What is published.
    bool publishing = false;
    QString name; // as published; another after a collision
    quint16 port = 0;
    QString board;
    int freeSeats = 0;
    QString groupPath;
    bool groupAsked = false;
    bool serviceAdded = false;
    QList<QByteArray> sentRecord;
    int nameAttempts = 0;
    quint64 publishRound = 0;

    // What is found.
    struct Service {
        QString name;
        QString domain;
        QSet<QPair<qint32, qint32>> instances; // (interface, protocol)
        QString resolverPath;
        QPair<qint32, qint32> resolverPlace; // where the resolver looks
        quint64 resolverAsked = 0; // the number of the request under way, or 0
        bool anyProtocol = false;  // IPv4 gave no address: any will do
        std::optional<Game> game;
        quint64 heard = 0; // when it was last announced or answered, in hearings
    };
    bool browsing = false;
    QString browserPath;
    bool browserAsked = false;
    quint64 browseRound = 0;
    quint64 requests = 0;
    int resolversAsked = 0;
    QMap<QString, Service> services;    // by domain and name
    QHash<QString, QString> resolvers;  // resolver path -> service key
    QList<QDBusMessage> earlySignals;   // of objects whose path is not known yet
    QList<Game> listed;
    int unlisted = 0; // games found beyond those listed
    quint64 hearings = 0;

    // Calls `method` of the daemon's object `path`; `done` gets the answer
    // unless the daemon or the Discovery has gone meanwhile.
    void call(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments,
              std::function<void(const QDBusMessage&)> done = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(AvahiService, path, interface, method);
        message.setArguments(arguments);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, CallTimeoutMilliseconds), &signalSink);
        const quint64 round = daemonRound;
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &signalSink,
                         [this, watcher, round, done = std::move(done)] {
                             watcher->deleteLater();
                             if (done && round == daemonRound)
                                 done(watcher->reply());
                         });
    }

    void freeObject(const QString& path, const QString& interface) { call(path, interface, QStringLiteral("Free"), {}); }

    // Frees an object whose answer came too late to be of use.
    void freeAnswered(const QDBusMessage& answer, const QString& interface)
    {
        if (answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty())
            freeObject(answer.arguments().constFirst().value<QDBusObjectPath>().path(), interface);
    }

    static QString pathOf(const QDBusMessage& answer)
    {
        return answer.arguments().isEmpty() ? QString() : answer.arguments().constFirst().value<QDBusObjectPath>().path();
    }

    void setState(bool nowRunning, Problem nowProblem, const QString& text = {})
    {
        const bool changed = nowRunning != running || nowProblem != problem;
        running = nowRunning;
        problem = nowProblem;
        if (nowProblem != Problem::None)
            problemText = text;
        if (changed)
            Q_EMIT q.problemChanged();
    }

    void fail(const QDBusMessage& answer)
    {
        const QDBusError error(answer);
        setState(running, problemOf(error), error.name() + QStringLiteral(": ") + error.message());
    }

    void start()
    {
        static std::atomic<int> connections{0};
        connectionName = QStringLiteral("tessaron-discovery-%1").arg(++connections);
        bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName);
        if (!bus.isConnected()) {
            problem = Problem::NoDaemon;
            problemText = QStringLiteral("no system bus: ") + bus.lastError().message();
            return;
        }
        qDBusRegisterMetaType<QList<QByteArray>>();
        signalSink.handler = [this](const QDBusMessage& message) { signalReceived(message); };
        const char* slot = SLOT(receive(QDBusMessage));
        bool listening = bus.connect(AvahiService, QStringLiteral("/"), ServerInterface, QStringLiteral("StateChanged"),
                                     &signalSink, slot);
        // No path: the objects' signals come before their paths are known.
        listening = listening
            && bus.connect(AvahiService, QString(), EntryGroupInterface, QStringLiteral("StateChanged"), &signalSink, slot);
        for (const char* member : {"ItemNew", "ItemRemove", "AllForNow", "CacheExhausted", "Failure"})
            listening = listening
                && bus.connect(AvahiService, QString(), BrowserInterface, QLatin1String(member), &signalSink, slot);
        for (const char* member : {"Found", "Failure"})
            listening = listening
                && bus.connect(AvahiService, QString(), ResolverInterface, QLatin1String(member), &signalSink, slot);
        if (!listening) {
            problem = Problem::Failed;
            problemText = QStringLiteral("cannot listen to the daemon: ") + bus.lastError().message();
            return;
        }
        auto* watcher = new QDBusServiceWatcher(AvahiService, bus, QDBusServiceWatcher::WatchForOwnerChange, &signalSink);
        QObject::connect(watcher, &QDBusServiceWatcher::serviceRegistered, &signalSink, [this] { askDaemon(); });
        QObject::connect(watcher, &QDBusServiceWatcher::serviceUnregistered, &signalSink, [this] { daemonLost(); });
        askDaemon();
    }

    // Is a daemon there, and is it up?
    void askDaemon()
    {
        call(QStringLiteral("/"), ServerInterface, QStringLiteral("GetVersionString"), {}, [this](const QDBusMessage& answer) {
            if (answer.type() != QDBusMessage::ReplyMessage)
                return fail(answer);
            call(QStringLiteral("/"), ServerInterface, QStringLiteral("GetState"), {}, [this](const QDBusMessage& state) {
                if (state.type() != QDBusMessage::ReplyMessage || state.arguments().isEmpty())
                    return fail(state);
                serverStateIs(state.arguments().constFirst().toInt());
            });
        });
    }

    void daemonLost()
    {
        ++daemonRound; // nothing it made exists any more
        groupPath.clear();
        groupAsked = serviceAdded = false;
        forgetServices();
        browserPath.clear();
        browserAsked = false;
        setState(false, Problem::NoDaemon, QStringLiteral("the Avahi daemon went"));
        showGames();
    }

    void serverStateIs(int state)
    {
        if (state == ServerRunning) {
            setState(true, problem == Problem::Failed ? Problem::Failed : Problem::None);
            if (publishing)
                startPublishing();
            if (browsing)
                startBrowsing();
        } else if (state == ServerRegistering || state == ServerCollision) {
            // The daemon changes its host name: our service goes, and comes
            // again under the new one when it runs.
            setState(false, problem);
            if (!groupPath.isEmpty()) {
                call(groupPath, EntryGroupInterface, QStringLiteral("Reset"), {});
                serviceAdded = false;
            }
        } else if (state == ServerFailure) {
            setState(false, Problem::Failed, QStringLiteral("the Avahi daemon failed"));
        }
    }

    // Publishing

    void startPublishing()
    {
        if (!running || groupAsked)
            return;
        if (!groupPath.isEmpty()) {
            if (!serviceAdded)
                addService();
            return;
        }
        groupAsked = true;
        const quint64 round = publishRound;
        call(QStringLiteral("/"), ServerInterface, QStringLiteral("EntryGroupNew"), {}, [this, round](const QDBusMessage& answer) {
            if (round != publishRound)
                return freeAnswered(answer, EntryGroupInterface);
            groupAsked = false;
            if (answer.type() != QDBusMessage::ReplyMessage)
                return fail(answer);
            groupPath = pathOf(answer);
            addService();
        });
    }

    void addService()
    {
        sentRecord = serviceRecord(board, freeSeats);
        const quint64 round = publishRound;
        const QString group = groupPath;
        call(group, EntryGroupInterface, QStringLiteral("AddService"),
             {AnyInterface, AnyProtocol, 0u, name, QString::fromLatin1(ServiceType), QString(), QString(),
              QVariant::fromValue(port), QVariant::fromValue(sentRecord)},
             [this, round, group](const QDBusMessage& answer) {
                 if (round != publishRound || group != groupPath)
                     return;
                 if (answer.type() != QDBusMessage::ReplyMessage) {
                     if (answer.errorName() == CollisionError)
                         return rename();
                     return fail(answer);
                 }
                 serviceAdded = true;
                 call(group, EntryGroupInterface, QStringLiteral("Commit"), {}, [this, round](const QDBusMessage& done) {
                     if (round == publishRound && done.type() != QDBusMessage::ReplyMessage)
                         fail(done);
                 });
                 // The record changed while the service was on its way.
                 if (sentRecord != serviceRecord(board, freeSeats))
                     updateService();
             });
    }

    void updateService()
    {
        sentRecord = serviceRecord(board, freeSeats);
        const quint64 round = publishRound;
        call(groupPath, EntryGroupInterface, QStringLiteral("UpdateServiceTxt"),
             {AnyInterface, AnyProtocol, 0u, name, QString::fromLatin1(ServiceType), QString(), QVariant::fromValue(sentRecord)},
             [this, round](const QDBusMessage& answer) {
                 if (round == publishRound && answer.type() != QDBusMessage::ReplyMessage)
                     fail(answer);
             });
    }

    // Another computer has the name: take the daemon's next one ("Anna #2").
    void rename()
    {
        if (++nameAttempts > MaxNameAttempts) {
            setState(running, Problem::Failed, QStringLiteral("every name was taken"));
            return;
        }
        const quint64 round = publishRound;
        call(QStringLiteral("/"), ServerInterface, QStringLiteral("GetAlternativeServiceName"), {name},
             [this, round](const QDBusMessage& answer) {
                 if (round != publishRound || groupPath.isEmpty())
                     return;
                 if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
                     return fail(answer);
                 name = serviceName(answer.arguments().constFirst().toString());
                 serviceAdded = false;
                 call(groupPath, EntryGroupInterface, QStringLiteral("Reset"), {}, [this, round](const QDBusMessage&) {
                     if (round == publishRound && !groupPath.isEmpty())
                         addService();
                 });
             });
    }

    void groupStateIs(int state)
    {
        if (state == GroupCollision && serviceAdded)
            rename();
        else if (state == GroupFailure)
            setState(running, Problem::Failed, QStringLiteral("the service could not be published"));
    }

    void stopPublishing()
    {
        publishing = false;
        ++publishRound;
        if (!groupPath.isEmpty())
            freeObject(groupPath, EntryGroupInterface);
        groupPath.clear();
        groupAsked = serviceAdded = false;
    }

    // Browsing

    void startBrowsing()
    {
        if (!running || browserAsked || !browserPath.isEmpty())
            return;
        browserAsked = true;
        const quint64 round = browseRound;
        call(QStringLiteral("/"), ServerInterface, QStringLiteral("ServiceBrowserNew"),
             {AnyInterface, AnyProtocol, QString::fromLatin1(ServiceType), QString(), 0u},
             [this, round](const QDBusMessage& answer) {
                 if (round != browseRound)
                     return freeAnswered(answer, BrowserInterface);
                 browserAsked = false;
                 if (answer.type() != QDBusMessage::ReplyMessage)
                     return fail(answer);
                 browserPath = pathOf(answer);
                 replayEarlySignals();
             });
    }

    void stopBrowsing()
    {
        browsing = false;
        ++browseRound;
        if (!browserPath.isEmpty())
            freeObject(browserPath, BrowserInterface);
        browserPath.clear();
        browserAsked = false;
        for (const QString& path : resolvers.keys())
            freeObject(path, ResolverInterface);
        forgetServices();
        showGames();
    }

    void forgetServices()
    {
        services.clear();
        resolvers.clear();
        resolversAsked = 0;
        earlySignals.clear();
    }

    void itemNew(qint32 interface, qint32 protocol, const QString& serviceName, const QString& domain)
    {
        const QString key = domain + u'\n' + serviceName;
        auto found = services.find(key);
        if (found == services.end()) {
            if (services.size() >= MaxFollowedServices)
                forgetOneService();
            found = services.insert(key, Service{serviceName, domain, {}, {}, {}, 0, false, std::nullopt});
        }
        found->heard = ++hearings;
        found->instances.insert({interface, protocol});
        if (found->resolverPath.isEmpty() && !found->resolverAsked && !found->game)
            resolve(key);
    }

    // A flood of services must hide neither a game started after it nor
    // another computer's game (serviceToForget); the answer of the one that
    // goes, if one is under way, is dropped.
    void forgetOneService()
    {
        QList<FollowedService> followed;
        for (const Service& service : std::as_const(services))
            followed.append({service.game ? service.game->address : QString(), service.heard});
        const qsizetype forget = serviceToForget(followed);
        if (forget < 0)
            return;
        const auto oldest = std::next(services.begin(), forget);
        if (!oldest->resolverPath.isEmpty()) {
            freeObject(oldest->resolverPath, ResolverInterface);
            resolvers.remove(oldest->resolverPath);
        }
        services.erase(oldest);
        showGames();
    }

    void itemRemove(qint32 interface, qint32 protocol, const QString& serviceName, const QString& domain)
    {
        const auto found = services.find(domain + u'\n' + serviceName);
        if (found == services.end())
            return;
        found->instances.remove({interface, protocol});
        const bool resolverGone = found->resolverPlace == qMakePair(interface, protocol);
        if (!found->resolverPath.isEmpty() && (resolverGone || found->instances.isEmpty())) {
            freeObject(found->resolverPath, ResolverInterface);
            resolvers.remove(found->resolverPath);
            found->resolverPath.clear();
        }
        if (found->instances.isEmpty()) {
            services.erase(found);
            showGames();
        } else if (resolverGone && !found->resolverAsked) {
            // Seen elsewhere still (another interface): follow it there.
            resolve(found.key());
        }
    }

    // Asks for the address and record of a service, by way of one of the
    // places it was seen (IPv4 first), for IPv4 unless that gave none.
    void resolve(const QString& key)
    {
        Service& service = services[key];
        QPair<qint32, qint32> place = *service.instances.cbegin();
        for (const auto& instance : std::as_const(service.instances))
            if (instance.second == IPv4)
                place = instance;
        service.resolverPlace = place;
        const quint64 request = service.resolverAsked = ++requests;
        ++resolversAsked;
        const quint64 round = browseRound;
        call(QStringLiteral("/"), ServerInterface, QStringLiteral("ServiceResolverNew"),
             {place.first, place.second, service.name, QString::fromLatin1(ServiceType), service.domain,
              service.anyProtocol ? AnyProtocol : IPv4, 0u},
             [this, key, request, round](const QDBusMessage& answer) {
                 if (round != browseRound)
                     return freeAnswered(answer, ResolverInterface);
                 --resolversAsked;
                 const auto found = services.find(key);
                 if (found == services.end() || found->resolverAsked != request) {
                     freeAnswered(answer, ResolverInterface);
                 } else {
                     found->resolverAsked = 0;
                     // A daemon out of resolvers leaves this one unlisted.
                     if (answer.type() == QDBusMessage::ReplyMessage) {
                         found->resolverPath = pathOf(answer);
                         resolvers.insert(found->resolverPath, key);
                     }
                 }
                 replayEarlySignals();
             });
    }

    void found(const QString& key, const QDBusMessage& message)
    {
        const QVariantList a = message.arguments();
        const QString address = withScope(a[7].toString(), a[0].toInt());
        const auto record = qdbus_cast<QList<QByteArray>>(a[9]);
        services[key].game = gameFromService(services[key].name, address, quint16(a[8].toUInt()), record);
        services[key].heard = ++hearings;
        showGames();
    }

    void resolverFailed(const QString& key, const QString& path)
    {
        Service& service = services[key];
        freeObject(path, ResolverInterface);
        resolvers.remove(path);
        service.resolverPath.clear();
        // IPv4 gave nothing: once more for any address. A game once found
        // stays until the browser says it went.
        if (!service.anyProtocol && !service.game) {
            service.anyProtocol = true;
            resolve(key);
        }
    }

    // Signals

    void signalReceived(const QDBusMessage& message)
    {
        const QString interface = message.interface();
        const QString member = message.member();
        const QString path = message.path();
        if (interface == ServerInterface) {
            if (member == QLatin1String("StateChanged") && message.signature() == QLatin1String("is"))
                serverStateIs(message.arguments().constFirst().toInt());
        } else if (interface == EntryGroupInterface) {
            if (path == groupPath && !path.isEmpty() && message.signature() == QLatin1String("is"))
                groupStateIs(message.arguments().constFirst().toInt());
        } else if (interface == BrowserInterface) {
            if (!browserPath.isEmpty() && path == browserPath)
                browserSignal(message);
            else if (browserAsked)
                keepEarly(message);
        } else if (interface == ResolverInterface) {
            if (const auto it = resolvers.constFind(path); it != resolvers.cend())
                resolverSignal(it.value(), message);
            else if (resolversAsked > 0)
                keepEarly(message);
        }
    }

    void browserSignal(const QDBusMessage& message)
    {
        const QString member = message.member();
        if (member == QLatin1String("Failure")) {
            setState(running, Problem::Failed, QStringLiteral("browsing failed: ") + message.arguments().value(0).toString());
            return;
        }
        if (message.signature() != QLatin1String("iisssu"))
            return;
        const QVariantList a = message.arguments();
        const QString serviceName = a[2].toString();
        const QString domain = a[4].toString();
        // Avahi holds names to 63 bytes and domains to 255; more is not a service of ours.
        if (a[3].toString() != QLatin1String(ServiceType) || serviceName.size() > 255 || domain.size() > 255)
            return;
        if (member == QLatin1String("ItemNew"))
            itemNew(a[0].toInt(), a[1].toInt(), serviceName, domain);
        else if (member == QLatin1String("ItemRemove"))
            itemRemove(a[0].toInt(), a[1].toInt(), serviceName, domain);
    }

    void resolverSignal(const QString& key, const QDBusMessage& message)
    {
        if (!services.contains(key))
            return;
        if (message.member() == QLatin1String("Found") && message.signature() == QLatin1String("iissssisqaayu"))
            found(key, message);
        else if (message.member() == QLatin1String("Failure"))
            resolverFailed(key, message.path());
    }

    void keepEarly(const QDBusMessage& message)
    {
        if (earlySignals.size() < MaxEarlySignals)
            earlySignals.append(message);
    }

    void replayEarlySignals()
    {
        const QList<QDBusMessage> kept = std::exchange(earlySignals, {});
        for (const QDBusMessage& message : kept)
            signalReceived(message); // still unknown ones are kept again while objects are on their way
        if (!browserAsked && resolversAsked == 0)
            earlySignals.clear();
    }

    // Tells the window when what it lists changed. Beyond MaxListedGames,
    // the games of computers that publish fewest, then those heard from most
    // recently are listed (a game just started among a flood of old ones
    // shows, and so does one computer's game beside another's flood), and
    // the others are counted.
    void showGames()
    {
        QList<const Service*> found;
        for (const Service& service : std::as_const(services))
            if (service.game)
                found.append(&service);
        // A computer that publishes many games comes after the others.
        QHash<QString, int> perAddress;
        for (const Service* service : std::as_const(found))
            ++perAddress[service->game->address];
        std::sort(found.begin(), found.end(), [&perAddress](const Service* a, const Service* b) {
            const int crowdA = perAddress.value(a->game->address);
            const int crowdB = perAddress.value(b->game->address);
            return crowdA != crowdB ? crowdA < crowdB : a->heard > b->heard;
        });
        const int beyond = int(std::max<qsizetype>(0, found.size() - MaxListedGames));
        QList<Game> games;
        for (qsizetype i = 0; i < found.size() && i < MaxListedGames; ++i)
            games.append(*found[i]->game);
        std::sort(games.begin(), games.end(), [](const Game& a, const Game& b) {
            const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
            return byName != 0 ? byName < 0 : a.address < b.address;
        });
        const bool same = beyond == unlisted
            && std::equal(games.cbegin(), games.cend(), listed.cbegin(), listed.cend(), sameGame);
        if (same)
            return;
        listed = games;
        unlisted = beyond;
        Q_EMIT q.gamesChanged();
    }
};

Discovery::Discovery() : d(std::make_unique<Private>(*this))
{
    d->start();
}

Discovery::~Discovery()
{
    // Nobody hears of the list emptying now: its owner is going.
    blockSignals(true);
    const QString connection = d->connectionName;
    unpublish();
    stopBrowsing();
    d.reset();
    // The daemon frees what it kept for this connection when it closes.
    if (!connection.isEmpty())
        QDBusConnection::disconnectFromBus(connection);
}

bool Discovery::available() const
{
    return d->running && d->problem == Problem::None;
}

Discovery::Problem Discovery::problem() const
{
    return d->problem;
}

QString Discovery::problemText() const
{
    return d->problem == Problem::None ? QString() : d->problemText;
}

void Discovery::publish(const QString& name, quint16 port, const QString& board, int freeSeats)
{
    d->stopPublishing(); // a new name or port is a new service
    d->publishing = true;
    d->name = serviceName(name.trimmed());
    d->port = port;
    d->board = board;
    d->freeSeats = freeSeats;
    d->nameAttempts = 0;
    d->startPublishing();
}

void Discovery::updateRecord(const QString& board, int freeSeats)
{
    d->board = board;
    d->freeSeats = freeSeats;
    if (d->serviceAdded && d->sentRecord != serviceRecord(board, freeSeats))
        d->updateService();
}

void Discovery::unpublish()
{
    d->stopPublishing();
}

void Discovery::browse()
{
    if (d->browsing)
        return;
    d->browsing = true;
    d->startBrowsing();
}

void Discovery::stopBrowsing()
{
    d->stopBrowsing();
}

QList<Discovery::Game> Discovery::games() const
{
    return d->listed;
}

int Discovery::unlistedGames() const
{
    return d->unlisted;
}

} // namespace tess::net

#include "Discovery.moc"
