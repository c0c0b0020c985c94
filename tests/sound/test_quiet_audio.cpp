// The audio device opens only when something is to be heard, and a machine
// without a sound server gets one line of the game's on stderr, none of ALSA's.

#include "dialogs/OptionsDialog.h"
#include "resources/Resources.h"
#include "settings/SharedState.h"
#include "sound/AudioDevice.h"
#include "sound/MediaCommands.h"
#include "sound/Sounds.h"
#include "support/FreshState.h"
#include "support/ScriptedReporter.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

using namespace tess;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The real program in a folder of its own, with its pictures beside it.
QString copyOfTheGame()
{
    const QString folder = test::tempFolder() + QStringLiteral("/game");
    QDir().mkpath(folder);
    const QString program = folder + QStringLiteral("/tessaron");
    QFile::copy(QStringLiteral(TESSARON_PROGRAM), program);
    QFile::link(QFileInfo(QStringLiteral(TESSARON_PROGRAM)).absolutePath() + QStringLiteral("/pics"),
                folder + QStringLiteral("/pics"));
    return program;
}

} // namespace

class TestQuietAudio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::freshState();
        AudioDevice::instance().close();
        shared().playSounds = false;
        shared().playMusic = false;
    }
    void cleanup()
    {
        AudioDevice::instance().close();
    }

    void withSoundAndMusicOffTheDeviceStaysClosed()
    {
        test::ScriptedReporter reporter;
        // What a game without sound goes through: the options load and write
        // the music box back as a click (music off), the music timer asks
        // after a song, the game ends.
        OptionsDialog dialog;
        dialog.load();
        QString reply(128, u' ');
        QVERIFY(sendMediaCommand(QStringLiteral("status midi position"), &reply) != 0);
        Music::instance().closeMusic();
        Music::instance().switchOff();
        QVERIFY(!AudioDevice::instance().isOpen());
        QVERIFY(reporter.reports.isEmpty());
    }

    void theFirstEffectOpensTheDevice()
    {
        QVERIFY(!AudioDevice::instance().isOpen());
        playSoundEffect(121, false);
        QVERIFY(AudioDevice::instance().isOpen());
    }

    void theFirstSongOpensTheDevice()
    {
        const QString song = test::tempFolder() + QStringLiteral("/song.mid");
        writeCarriedItem(1001, QStringLiteral("midi"), song);
        QVERIFY(QFileInfo(song).size() > 0);
        QVERIFY(!AudioDevice::instance().isOpen());
        QCOMPARE(sendMediaCommand(QStringLiteral("open sequencer!") + song + QStringLiteral(" alias midi")), 0);
        QVERIFY(AudioDevice::instance().isOpen());
        QCOMPARE(sendMediaCommand(QStringLiteral("close midi")), 0);
    }

    void withoutASoundServerTheGameSaysSoOnce_data()
    {
        QTest::addColumn<int>("sound");
        QTest::addColumn<int>("lines");
        QTest::newRow("sound on") << 1 << 1;
        QTest::newRow("sound and music off") << 0 << 0;
    }
    void withoutASoundServerTheGameSaysSoOnce()
    {
        QFETCH(int, sound);
        QFETCH(int, lines);
        const QString program = copyOfTheGame();
        QDir().mkpath(test::configFolder() + QStringLiteral("/Tessaron"));
        test::writeTempFile(QStringLiteral("settings"),
                            QStringLiteral("[Optionen]\nnumPlayers=1\nPlayMusic=0\nPlaySound=%1\nSprache=1000\n").arg(sound).toLatin1());
        QVERIFY(QFile::rename(test::tempFolder() + QStringLiteral("/settings"),
                              test::configFolder() + QStringLiteral("/Tessaron/Tessaron.ini")));
        // ALSA with an empty configuration knows no device at all, as with no
        // sound server and no card, and says so at length.
        const QString alsaConfig = test::writeTempFile(QStringLiteral("alsa.conf"), {});
        const QString trace = test::tempFolder() + QStringLiteral("/trace");
        const QString errors = test::tempFolder() + QStringLiteral("/stderr");

        QProcess game;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("alsa"));
        environment.insert(QStringLiteral("ALSA_CONFIG_PATH"), alsaConfig);
        environment.insert(QStringLiteral("TESSARON_START_TRACE"), QStringLiteral("0:") + trace);
        game.setProcessEnvironment(environment);
        game.setStandardErrorFile(errors);
        game.setStandardOutputFile(QProcess::nullDevice());
        game.start(program, {});
        QVERIFY(game.waitForStarted());
        // The first activation plays the first effect before its mark.
        QElapsedTimer clock;
        clock.start();
        while (!readAll(trace).contains("first activation") && clock.elapsed() < 60000 && game.state() == QProcess::Running)
            QTest::qWait(50);
        QTest::qWait(300);
        const bool activated = readAll(trace).contains("first activation");
        game.terminate();
        if (!game.waitForFinished(5000)) {
            game.kill();
            game.waitForFinished(5000);
        }
        const QByteArray said = readAll(errors);
        QVERIFY2(activated, said.constData());
        QVERIFY2(!said.contains("ALSA lib"), said.constData());
        QCOMPARE(said.count("Tessaron plays without sound"), qsizetype(lines));
    }
};

TESSARON_TEST_MAIN(TestQuietAudio)
#include "test_quiet_audio.moc"
