// Running copies of the game share one settings file: each write changes only
// its own keys, on the file as it stands, under the file's lock, so five
// copies writing at once keep every key; a write that changes nothing leaves
// the file alone; on a full disk the file stays as it was and the player is
// told once.

#include "settings/Profile.h"
#include "settings/SettingsStore.h"
#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"
#include "util/FileWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

using namespace tess;

namespace {

QByteArray readRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

ino_t inodeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class TestSettingsSharing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::clearFolders();
        forgetWriteFailures();
    }

    void fiveCopiesWritingAtOnceKeepEveryKey()
    {
        constexpr int Copies = 5;
        constexpr int Keys = 50;
        saveIntegerSetting(keys::sizeIndex, 7); // there before, and kept
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int id = 0; id < Copies; ++id) {
            auto copy = std::make_unique<QProcess>();
            copy->setProcessChannelMode(QProcess::ForwardedChannels);
            copy->start(QStringLiteral(TESSARON_SETTINGS_WRITER), {QString::number(id), QString::number(Keys)});
            copies.push_back(std::move(copy));
        }
        for (auto& copy : copies) {
            QVERIFY(copy->waitForFinished(90000));
            QCOMPARE(copy->exitCode(), 0);
        }
        const QHash<QString, QString> stored = Profile(settingsFilePath(), ProfileEncoding::Utf8).readSection("Optionen");
        int kept = 0;
        for (int id = 0; id < Copies; ++id)
            for (int n = 0; n < Keys; ++n)
                kept += stored.value(QStringLiteral("copy%1key%2").arg(id).arg(n)) == QString::number(n) ? 1 : 0;
        QCOMPARE(kept, Copies * Keys);
        QCOMPARE(readSetting(keys::sizeIndex), QStringLiteral("7"));
        QVERIFY(!QFileInfo::exists(settingsFilePath() + ".lock")); // every copy let go of it
    }

    void aValueThatDidNotChangeIsNotWritten()
    {
        saveIntegerSetting(keys::language, 1000);
        const ino_t before = inodeOf(settingsFilePath());
        QVERIFY(before != 0);
        for (int activation = 0; activation < 3; ++activation)
            saveIntegerSetting(keys::language, 1000);
        QCOMPARE(inodeOf(settingsFilePath()), before); // replaced files get a new one
        saveIntegerSetting(keys::language, 6000);
        QVERIFY(inodeOf(settingsFilePath()) != before);
    }

    void aFullDiskKeepsTheSettingsAndSaysSoOnce()
    {
        test::SmallDisk disk(test::configFolder(), 256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        QStringList told;
        setWriteFailureNotice([&told](const QString& path) { told << path; });
        saveIntegerSetting(keys::language, 1000);
        saveIntegerSetting(keys::sizeIndex, 3);
        const QByteArray before = readRaw(settingsFilePath());
        disk.fill();
        saveIntegerSetting(keys::language, 6000);
        saveIntegerSetting(keys::sizeIndex, 5);
        saveIntegerSetting(keys::language, 0);
        QCOMPARE(readRaw(settingsFilePath()), before);
        QTRY_COMPARE(told, QStringList{settingsFilePath()});
        QCOMPARE(readSetting(keys::language), QStringLiteral("1000"));
        setWriteFailureNotice(nullptr);
    }
};

TESSARON_TEST_MAIN(TestSettingsSharing)
#include "test_settings_sharing.moc"
