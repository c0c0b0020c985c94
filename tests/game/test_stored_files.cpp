// The files a scripted game writes, byte for byte: the saved game, the
// champions list, the settings and the error log. They are what players keep
// from one version to the next, so they must never change by accident.
// TESSARON_RECORD_STORED_FILES=<folder> writes them there instead of comparing.

#include "champions/ChampionsList.h"
#include "champions/ChampionsDialog.h"
#include "errors/ErrorReporter.h"
#include "support/GameFixture.h"
#include "dialogs/OptionsDialog.h"
#include "table/SavedGame.h"
#include "settings/SettingsStore.h"
#include "util/Random.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace tess;
using tess::test::GameFixture;

namespace {

class IgnoringPrompt : public ErrorPrompt {
public:
    void resetMousePointer() override {}
    void beep() override {}
    ErrorAnswer ask(const ProtocolData&) override { return ErrorAnswer::Ignore; }
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

// The error log without what differs from one run or machine to the next:
// the date and time, the version and the kernel. All else must stay.
QByteArray withoutClock(QByteArray log)
{
    static const QRegularExpression clock(QStringLiteral("\\d{1,4}[.:/-]\\d{1,2}[.:/-]\\d{1,4}"));
    static const QRegularExpression system(QStringLiteral("(Version:|Build:)\t[^\r]*"));
    return QString::fromLatin1(log).replace(clock, QStringLiteral("<clock>")).replace(system, QStringLiteral("\\1\t<system>")).toLatin1();
}

// Compares with the stored copy in tests/game/stored, or records it.
void compareStored(const QString& name, const QByteArray& written)
{
    const QByteArray recordTo = qgetenv("TESSARON_RECORD_STORED_FILES");
    if (!recordTo.isEmpty()) {
        const QDir folder(QString::fromLocal8Bit(recordTo));
        QVERIFY(folder.mkpath(QStringLiteral(".")));
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(written);
        return;
    }
    const QByteArray stored = contents(QStringLiteral(TESSARON_SOURCE_DIR "/tests/game/stored/") + name);
    if (written != stored)
        qWarning().noquote() << name << "written:\n" << written.toHex(' ') << "\nstored:\n" << stored.toHex(' ');
    QCOMPARE(written, stored);
}

} // namespace

class TestStoredFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aScriptedGameWritesTheSameFiles()
    {
        // The same draws every run: a fixed walk through [0, 1).
        float next = 0.1f;
        setRandomSource([&next] { return next = next + 0.37f >= 1 ? next + 0.37f - 1 : next + 0.37f; });
        const auto clockAgain = qScopeGuard([] { setRandomSource({}); });
        GameErrorReporter desk(std::make_unique<IgnoringPrompt>());
        setErrorReporter(&desk);
        GameFixture game(2);
        shared().names = {QStringLiteral("Anna"), QStringLiteral("Ben"), QString(), QString()};
        game.t().greetOnActivation(); // stores the language
        game.t().chooseLanguage(2);  // and a flag changes it
        {
            OptionsDialog options; // every option written back as it stands
            options.load();
            options.saveNamesAndClose();
        }

        // Two turns, one with two wrong tries and a joker on the stack, then saved.
        game.startWithStack({3, 7, 12, 0, 19, 5});
        game.t().game().setJoker(12, true); // kept in the block after the record
        game.t().game().setJoker(2, true); // among the marks the saved game keeps
        game.now += 3000;
        game.t().placePiece(game.draw());
        const int second = game.draw();
        game.t().placePiece(game.wrongCellFor(second));
        game.t().placePiece(game.wrongCellFor(second, 1));
        game.now += 9000;
        game.t().placePiece(second);
        game.t().saveGame();
        compareStored(QStringLiteral("Quadrello.qdr"), contents(savedGamePath()));

        // A cell the board does not have: the error is logged and ignored.
        game.draw();
        game.t().placePiece(CellCount + 7);
        setErrorReporter(nullptr);
        compareStored(QStringLiteral("tessaron.EPT"), withoutClock(contents(GameErrorReporter::logPath(QStringLiteral(".EPT")))));

        // A one-player game to its end: the result enters the champions list.
        shared().playerCount = 1;
        game.dialogs.typed << QStringLiteral("Eve");
        game.services.champions = [] {
            ChampionsDialog dialog;
            dialog.load();
        };
        game.startWithStack({4});
        game.now += 2000;
        game.t().placePiece(game.draw());
        compareStored(QStringLiteral("Tessaron.hsc"), contents(ChampionsFile::path()));
        compareStored(QStringLiteral("Tessaron.ini"), contents(settingsFilePath()));
    }
};

TESSARON_TEST_MAIN(TestStoredFiles)
#include "test_stored_files.moc"
