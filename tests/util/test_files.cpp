// Files that data names are read only when they are regular files of sane
// size; files are written beside the program only when it runs unpacked;
// messages show outside text as the characters it is.

#include "support/Errors.h"
#include "support/TestEnvironment.h"
#include "util/Dialogs.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/RunTimeError.h"

#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

using namespace tess;

namespace {

// What a screen reader hears of a label: its text as the label shows it.
QString spokenText(QLabel* label)
{
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(label);
    return spoken ? spoken->text(QAccessible::Name) : QString();
}

// The labels of the modal box that is up, by what they show.
QStringList shownTexts()
{
    QStringList texts;
    if (QWidget* box = QApplication::activeModalWidget())
        for (QLabel* label : box->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << spokenText(label);
    return texts;
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { test::clearFolders(); }

    void aFifoADeviceOrAFolderIsNeverRead()
    {
        const QString fifo = test::tempFolder() + "/fifo";
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(readRegularFile(fifo, MaxDataFileBytes).result, FileRead::NotAFile); // no writer: a blocking open would hang
        QCOMPARE(readRegularFile("/dev/zero", MaxPictureFileBytes).result, FileRead::NotAFile);
        QCOMPARE(readRegularFile(test::tempFolder(), MaxDataFileBytes).result, FileRead::NotAFile);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!isSaneFile(fifo, MaxPictureFileBytes));
        QVERIFY(!isSaneFile("/dev/zero", MaxPictureFileBytes));
        QCOMPARE(test::errorOf([&] { readWholeFile(fifo); }), int(ErrPathFileAccess));
        QCOMPARE(test::errorOf([&] { readWholeFile(test::tempFolder() + "/none"); }), int(ErrFileNotFound));
        // A link to a device is the device.
        QVERIFY(QFile::link("/dev/zero", test::tempFolder() + "/zero.jpg"));
        QCOMPARE(readRegularFile(test::tempFolder() + "/zero.jpg", MaxPictureFileBytes).result, FileRead::NotAFile);
    }

    void aFileIsReadWholeUpToItsCapOrNotAtAll()
    {
        const QString path = test::writeTempFile("data", "0123456789");
        const FileContent whole = readRegularFile(path, 10);
        QCOMPARE(whole.result, FileRead::Ok);
        QCOMPARE(whole.bytes, QByteArray("0123456789"));
        QCOMPARE(readRegularFile(path, 9).result, FileRead::TooLarge);
        QVERIFY(readRegularFile(path, 9).bytes.isEmpty());
        QVERIFY(isSaneFile(path, 10));
        QVERIFY(!isSaneFile(path, 9));
        // A huge file (sparse, so the test costs no disk) is refused without being read.
        const QString huge = test::tempFolder() + "/huge";
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(MaxPictureFileBytes + 1));
        file.close();
        QCOMPARE(readRegularFile(huge, MaxPictureFileBytes).result, FileRead::TooLarge);
        QCOMPARE(readRegularFile(test::tempFolder() + "/none", 10).result, FileRead::Missing);
        QCOMPARE(readRegularFile(path + "/below a file", 10).result, FileRead::Missing);
        QCOMPARE(readRegularFile(QString(), 10).result, FileRead::Missing);
        // There but not to be opened: unreadable, not missing.
        FileRead exhaustedRead = FileRead::Ok;
        {
            test::NoFileHandlesLeft exhausted;
            exhaustedRead = readRegularFile(path, 10).result;
        }
        QCOMPARE(exhaustedRead, FileRead::Unreadable);
    }

    void filesGoBesideTheProgramOnlyWhenItRunsUnpacked()
    {
        const QString data = test::dataFolder() + "/Tessaron/";
        // Installed: no pictures beside the program, however writable its folder (root, a prefix in the home).
        QCOMPARE(writableFolder(), data);
        // Unpacked, as in a build: its pictures beside it.
        QVERIFY(QDir().mkpath(test::programFolder() + "/pics"));
        QCOMPARE(writableFolder(), test::programFolder() + "/");
        // Unpacked in a folder others may write: someone could plant links there.
        QVERIFY(QFile::setPermissions(test::programFolder(), QFileDevice::Permissions(0x7777)));
        QCOMPARE(writableFolder(), data);
        QVERIFY(QFile::setPermissions(test::programFolder(), QFileDevice::Permissions(0x7700)));
        QCOMPARE(writableFolder(), test::programFolder() + "/");
        // Unpacked but read-only.
        if (test::makeUnwritable(test::programFolder())) {
            QCOMPARE(writableFolder(), data);
            test::makeWritable(test::programFolder());
        }
    }

    void messagesShowNamesAndPathsAsTyped()
    {
        // Qt's own boxes, not the tests' scripted ones.
        const QString marker = test::writeTempFile("marker.png", QByteArray());
        const QString name = QStringLiteral("<b>x</b> <img src=%1>").arg(marker);
        QStringList informed;
        QTimer::singleShot(0, [&] {
            informed = shownTexts();
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        dialogs().inform(name + QStringLiteral(" has won!"), QStringLiteral("Tessaron"));
        QVERIFY2(informed.contains(name + QStringLiteral(" has won!")), qPrintable(informed.join(u'|')));

        QStringList prompted;
        QString typed;
        QTimer::singleShot(0, [&] {
            prompted = shownTexts();
            if (auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                input->setTextValue(name);
                input->accept();
            }
        });
        QVERIFY(dialogs().inputText(QStringLiteral("<u>Name</u>"), QStringLiteral("Tessaron"), typed));
        QVERIFY2(prompted.contains(QStringLiteral("<u>Name</u>")), qPrintable(prompted.join(u'|')));
        QCOMPARE(typed, name);

        // A box that takes twenty characters: an emoji is one, never half of one.
        const QString emoji = QString::fromUtf8("\U0001F3B2");
        QTimer::singleShot(0, [&] {
            if (auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
                input->setTextValue(QString(19, u'a') + emoji + emoji);
                input->accept();
            }
        });
        QVERIFY(dialogs().inputText(QStringLiteral("Name"), QStringLiteral("Tessaron"), typed, 20));
        QCOMPARE(typed, QString(19, u'a') + emoji);
    }
};

TESSARON_TEST_MAIN(TestFiles)
#include "test_files.moc"
