// Carried items, the temporary folder and writing items to disk.

#include "resources/Pictures.h"
#include "resources/RawPicture.h"
#include "resources/Resources.h"
#include "support/Errors.h"
#include "support/ScriptedReporter.h"
#include "support/TestEnvironment.h"
#include "util/PrivateFiles.h"
#include "util/RunTimeError.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPainter>

#include <cstring>
#include <chrono>
#include <future>
#include <thread>
#include <unistd.h>

#include <fcntl.h>
#include <sys/file.h>

using namespace tess;
using tess::test::errorOf;

namespace {

QByteArray readRaw(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool imagePluginLoaded()
{
    return readRaw(QStringLiteral("/proc/self/maps")).contains("/imageformats/");
}


} // namespace

class TestResources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { test::clearFolders(); }

    // First of all, while no image plugin has been loaded in this process.
    void picturesDecodeByTheirBytesAndPngAndBmpNeedNoPlugin()
    {
        QVERIFY(!imagePluginLoaded());
        const QByteArray png = readRaw(QStringLiteral(":/carried/help/board.png"));
        QCOMPARE(pictureFormat(png), QByteArray("png"));
        QVERIFY(!decodePicture(png, QStringLiteral("board.jpg")).isNull());
        QCOMPARE(carriedPicture(201).size(), QSize(640, 480));
        QVERIFY2(!imagePluginLoaded(), "decoding PNG and BMP loaded the image plugins");

        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkRed);
        for (const char* format : {"png", "bmp", "jpeg"}) {
            const QByteArray bytes = encoded(image, format);
            QCOMPARE(pictureFormat(bytes), QByteArray(format));
            QCOMPARE(decodePicture(bytes, QStringLiteral("named.gif")).size(), QSize(40, 30));
        }
        QCOMPARE(pictureFormat("GIF89a\x28\x00"), QByteArray("gif"));
        QCOMPARE(pictureFormat("RIFF....WEBP"), QByteArray());
        // Bytes of a format not named here (an icon) still decode by Qt's guess.
        QByteArray icon = encoded(image, "ico");
        QVERIFY(!icon.isEmpty());
        QCOMPARE(decodePicture(icon, QStringLiteral("icon")).size(), QSize(40, 30));
    }

    void itemsAreFoundByTypeAndNumberWhateverTheCase()
    {
        const QByteArray upper = carriedData(1000, QStringLiteral("CUSTOM"));
        QVERIFY(upper.startsWith("[lang]"));
        QCOMPARE(carriedData(1000, QStringLiteral("custom")), upper);
        QCOMPARE(carriedData(1000, QStringLiteral("Custom")), upper);
        QVERIFY(hasCarriedItem(1000, QStringLiteral("cUsToM")));
        QVERIFY(!hasCarriedItem(999, QStringLiteral("CUSTOM")));
        QVERIFY(!hasCarriedItem(1000, QStringLiteral("WAV")));
        QCOMPARE(errorOf([] { carriedData(4242, QStringLiteral("midi")); }), int(ErrResourceNotFound));
    }

    void theTemporaryFolderEndsWithASeparator()
    {
        const QString folder = test::rootFolder() + "/runtime/Tessaron/";
        QCOMPARE(gameTempFolder(), folder);
        // Each running copy of the game has its own: closing one never removes another's.
        const QString own = processTempFolder();
        QVERIFY2(own.startsWith(folder + QString::number(QCoreApplication::applicationPid()) + "-") && own.endsWith(u'/'), qPrintable(own));
        QCOMPARE(processTempFolder(), own); // the same for the whole run
        QCOMPARE(langFilePath(), own + "~tmp.lng");
        QCOMPARE(midiFilePath(), own + "~tmp.mid");
        QVERIFY(isPrivateFolder(own));
    }

    void foldersOfCopiesThatEndedAreSweptAway()
    {
        // A copy that still runs holds the lock of its folder; one that ended does not.
        const QString shared = gameTempFolder();
        const QString running = shared + "4242-abcdef";
        const QString ended = shared + "4243-ghijkl";
        const QString notOurs = shared + "photos";
        for (const QString& folder : {running, ended, notOurs}) {
            QVERIFY(QDir().mkpath(folder));
            QFile lock(folder + "/.running");
            QVERIFY(lock.open(QIODevice::WriteOnly));
        }
        const int held = ::open(QFile::encodeName(running + "/.running").constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        sweepEndedCopies(shared);
        ::close(held);
        QVERIFY(QFileInfo(running).isDir());
        QVERIFY(!QFileInfo(ended).exists());
        QVERIFY(QFileInfo(notOurs).isDir());
        QVERIFY(QFileInfo(processTempFolder()).isDir()); // our own stays, whatever the sweep
        sweepEndedCopies(shared);
        QVERIFY(QFileInfo(processTempFolder() + ".running").exists());
    }

    void theTemporaryFilesStayInAFolderOfThisUserOnly()
    {
        // The runtime folder when it is ours, else a folder of ours in the temporary folder.
        QVERIFY(isPrivateFolder(gameTempFolder()));
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString usual = test::tempFolder() + "/Tessaron-" + QString::number(::geteuid()) + "/";
        const QString fallback = gameTempFolder();
        QCOMPARE(fallback, usual);
        const QFileDevice::Permissions others(0x0077);
        QCOMPARE(QFileInfo(usual).permissions() & others, QFileDevice::Permissions());

        // A folder left open to others is closed; a link planted in its place is not used.
        QVERIFY(QFile::setPermissions(usual, QFileDevice::Permissions(0x7777)));
        QCOMPARE(gameTempFolder(), usual);
        QVERIFY(isPrivateFolder(usual));
        QVERIFY(QDir(usual).removeRecursively());
        const QString elsewhere = test::tempFolder() + "/planted";
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QFile::link(elsewhere, test::tempFolder() + "/Tessaron-" + QString::number(::geteuid())));
        const QString chosen = gameTempFolder();
        QVERIFY2(chosen != usual && chosen.startsWith(test::tempFolder() + "/Tessaron-"), qPrintable(chosen));
        QVERIFY(isPrivateFolder(chosen));
        QCOMPARE(gameTempFolder(), chosen); // the same fresh folder for the rest of the run
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }

    void aLinkPlantedAtATemporaryFileIsReplacedNotFollowed()
    {
        const QString victim = test::tempFolder() + "/somebody-elses-file";
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        const QString path = langFilePath();
        QVERIFY(QFile::link(victim, path));
        writeCarriedItem(1000, QStringLiteral("CUSTOM"), path);
        QCOMPARE(readRaw(victim), QByteArray("keep me"));
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(readRaw(path), carriedData(1000, QStringLiteral("CUSTOM")));
        QCOMPARE(QDir(processTempFolder()).entryList(QDir::Files), QStringList{"~tmp.lng"}); // no file of the write left
    }

    void trimNullCutsAtTheFirstNul()
    {
        QCOMPARE(cutAtNul(QStringLiteral("no nul here")), QStringLiteral("no nul here"));
        QCOMPARE(cutAtNul(QString::fromLatin1("abc\0def", 7)), QStringLiteral("abc"));
        QCOMPARE(cutAtNul(QString::fromLatin1("\0abc", 4)), QString());
        QCOMPARE(cutAtNul(QString()), QString());
    }

    void savingAnItemReplacesTheWholeFile()
    {
        const QString path = langFilePath();
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'z')); // longer than the item: nothing of it may remain
        old.close();
        QVERIFY(writeCarriedItem(1000, QStringLiteral("CUSTOM"), path));
        QCOMPARE(readRaw(path), carriedData(1000, QStringLiteral("CUSTOM")));
    }

    void aFailedWriteLeavesTheFileAndIsNotRaised()
    {
        test::ScriptedReporter reporter;
        const QString path = midiFilePath();
        QFile held(path);
        QVERIFY(held.open(QIODevice::WriteOnly));
        held.write("held by the player");
        held.close();
        if (!test::makeUnwritable(processTempFolder()))
            QSKIP("this machine cannot make a folder unwritable");
        const bool written = writeCarriedItem(1000, QStringLiteral("CUSTOM"), path);
        test::makeWritable(processTempFolder());
        QVERIFY(!written);
        QCOMPARE(readRaw(path), QByteArray("held by the player"));
        // Nor a missing folder: the caller goes on without the file.
        QVERIFY(!writeCarriedItem(1000, QStringLiteral("CUSTOM"), test::tempFolder() + "/no such folder/~tmp.lng"));
        QVERIFY(reporter.reports.isEmpty());
    }

    void aMissingItemIgnoredDoesNotEmptyTheFile()
    {
        test::ScriptedReporter reporter;
        reporter.then = ErrorAnswer::Ignore; // ignore, go on with the write
        const QString path = midiFilePath();
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the last song");
        old.close();
        writeCarriedItem(1099, QStringLiteral("midi"), path);
        QCOMPARE(reporter.reports.first().number, int(ErrResourceNotFound));
        QCOMPARE(readRaw(path), QByteArray("the last song"));
    }

    void promisedArtIsTakenOnceAndItsErrorComesToTheTaker()
    {
        const QStringList names{QStringLiteral("flag_0.png"), QStringLiteral("no such art.png"),
                                QStringLiteral("flag_2.png"), QStringLiteral("digits.png")};
        QHash<QString, QImage> expected;
        for (const QString& name : {names[0], names[2], names[3]})
            expected.insert(name, loadArt(name));

        // With no reader at all, the taker reads it itself instead of waiting.
        promiseArt({names[3]});
        QCOMPARE(loadArt(names[3]), expected[names[3]]);
        QCOMPARE(promisedArtLeft(), QStringList());

        promiseArt(names);
        std::thread reader([] { readPromisedArt(); });
        QCOMPARE(loadArt(names[3]), expected[names[3]]);
        QCOMPARE(test::errorOf([&] { loadArt(names[1]); }), int(ErrResourceNotFound));
        QCOMPARE(loadArt(names[0]), expected[names[0]]);
        reader.join();
        QCOMPARE(promisedArtLeft(), QStringList{names[2]});
        // What is forgotten is read anew when asked for.
        forgetPromisedArt();
        QCOMPARE(promisedArtLeft(), QStringList());
        QCOMPARE(loadArt(names[2]), expected[names[2]]);

        // A picture the reader has begun is waited for, not read twice.
        std::promise<void> begun;
        std::promise<void> goOn;
        std::shared_future<void> mayGoOn = goOn.get_future().share();
        promiseArt({names[0]});
        std::thread holdingReader([&] {
            readPromisedArt([&](const QString&) {
                begun.set_value();
                mayGoOn.wait();
            });
        });
        begun.get_future().wait();
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            goOn.set_value();
        });
        QCOMPARE(loadArt(names[0]), expected[names[0]]);
        holdingReader.join();
        release.join();
        QCOMPARE(promisedArtLeft(), QStringList());
    }

    void rawPicturesKeepEveryPixelAndRefuseWhatIsNotWhole()
    {
        QImage clear(7, 5, QImage::Format_ARGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                clear.setPixel(x, y, qRgba(x * 30, y * 40, 200, x * 36));
        QCOMPARE(decodeRawPicture(encodeRawPicture(clear)), clear);
        QImage indexed(3, 2, QImage::Format_Indexed8);
        indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
        indexed.fill(1);
        const QImage opaque = decodeRawPicture(encodeRawPicture(indexed));
        QCOMPARE(opaque.format(), QImage::Format_RGB32);
        QCOMPARE(opaque.pixel(2, 1), qRgb(0, 0, 255));

        const QByteArray whole = encodeRawPicture(clear);
        QVERIFY(decodeRawPicture(whole.left(whole.size() - 1)).isNull());
        QVERIFY(decodeRawPicture(whole + "x").isNull());
        QVERIFY(decodeRawPicture("TSRA").isNull());
        QByteArray huge = whole;
        huge[7] = char(0x7f); // a width of some two thousand million
        QVERIFY(decodeRawPicture(huge).isNull());

        // A picture read where its bytes stand outlives them, and a change
        // to it is its own: the bytes and other copies stay as they were.
        QImage kept;
        {
            const QByteArray bytes = encodeRawPicture(clear);
            kept = decodeRawPicture(bytes);
        }
        QCOMPARE(kept, clear);
        const QByteArray bytes = encodeRawPicture(clear);
        const QImage first = decodeRawPicture(bytes);
        QImage changed = first;
        QPainter(&changed).fillRect(QRect(1, 1, 2, 2), Qt::green);
        QCOMPARE(first, clear);
        QCOMPARE(decodeRawPicture(bytes), clear);
        // Bytes that stand one off a pixel's alignment come out the same.
        QByteArray shifted(bytes.size() + 1, '\0');
        std::memcpy(shifted.data() + 1, bytes.constData(), size_t(bytes.size()));
        QCOMPARE(decodeRawPicture(QByteArray::fromRawData(shifted.constData() + 1, bytes.size())), clear);
        // The carried art comes out as the picture it was made from.
        QCOMPARE(loadArt(QStringLiteral("flag_1.png")).size(), QSize(32, 20));
    }

    void picturesLoadOrFailWithTheirErrors()
    {
        const QString good = test::tempFolder() + "/good.bmp";
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QVERIFY(image.save(good));
        QCOMPARE(loadPictureFile(good).size(), QSize(64, 48));

        QCOMPARE(errorOf([] { loadPictureFile(test::tempFolder() + "/missing.jpg"); }), int(ErrFileNotFound));
        const QString bad = test::tempFolder() + "/broken.jpg";
        QFile broken(bad);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("this is not a picture");
        broken.close();
        QCOMPARE(errorOf([&] { loadPictureFile(bad); }), int(ErrInvalidPicture));
    }
};

TESSARON_TEST_MAIN(TestResources)
#include "test_resources.moc"
