// The picture choice and the back-side choice, and the game window taking
// what was chosen.

#include "dialogs/BackChoiceDialog.h"
#include "support/GameFixture.h"
#include "controls/ImageControl.h"
#include "dialogs/PictureChoiceDialog.h"
#include "resources/BackSides.h"
#include "resources/PictureRing.h"
#include "settings/SettingDomains.h"
#include "settings/SettingsStore.h"
#include "support/FreshState.h"
#include "support/ScriptedReporter.h"
#include "support/SmallDisk.h"
#include "resources/PictureCache.h"
#include "util/FileWrite.h"
#include "util/RunTimeError.h"

#include "language/Language.h"
#include "util/Paths.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <memory>

using namespace tess;
using tess::test::GameFixture;

namespace {

QString picsFolder()
{
    return test::programFolder() + "/pics";
}

void makePicture(const QString& name, QColor colour, QSize size = QSize(64, 48))
{
    QDir().mkpath(picsFolder());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    // Qt writes no GIF: such a file holds a PNG, which the loader reads by its content.
    const bool gif = QFileInfo(name).suffix().compare("gif", Qt::CaseInsensitive) == 0;
    QVERIFY(image.save(picsFolder() + '/' + name, gif ? "PNG" : nullptr));
}

void makeBroken(const QString& name)
{
    QDir().mkpath(picsFolder());
    QFile file(picsFolder() + '/' + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
}

// A picture somewhere outside the game's folders, as a player has them.
QString outsidePicture(const QString& name, QColor colour)
{
    const QString folder = QDir::tempPath() + "/Pictures";
    QDir().mkpath(folder);
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(colour);
    image.save(folder + '/' + name);
    return folder + '/' + name;
}

// A picture of noise, as a camera's grain: it takes room on a disk.
QString grainyPicture(const QString& name, int seed)
{
    const QString folder = QDir::tempPath() + "/Pictures";
    QDir().mkpath(folder);
    QImage image(160, 120, QImage::Format_RGB32);
    QRandomGenerator noise(quint32(seed + 1));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, noise.generate() | 0xff000000u);
    image.save(folder + '/' + name);
    return folder + '/' + name;
}

struct Place {
    PictureSource pictureSource;
    int picture;
    qsizetype index;
};

Place place()
{
    return {shared().pictureSource, shared().pictureNumber, shared().pictureFileIndex};
}

} // namespace

class TestChoiceDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::freshState();
    }

    void theRingRunsThroughTheFolderAndBack()
    {
        test::RecordingEffects effects;
        makePicture("c.bmp", Qt::red);
        makePicture("a.jpg", Qt::green);
        makePicture("B.GIF", Qt::blue);
        makeBroken("notes.txt");
        shared().pictureNumber = 105;
        PictureChoiceDialog dialog;
        dialog.load();
        QCOMPARE(dialog.files(), (QStringList{"a.jpg", "B.GIF", "c.bmp"}));
        dialog.showNextPicture();
        QCOMPARE(place().pictureSource, PictureSource::File);
        QCOMPARE(place().index, qsizetype(0));
        QCOMPARE(place().picture, qint16(105)); // stays a number a picture has
        dialog.showNextPicture();
        dialog.showNextPicture();
        QCOMPARE(place().index, qsizetype(2));
        dialog.showNextPicture();
        QCOMPARE(place().pictureSource, PictureSource::BuiltIn);
        QCOMPARE(place().picture, qint16(101));
        dialog.showPreviousPicture(); // back to the last file
        QCOMPARE(place().pictureSource, PictureSource::File);
        QCOMPARE(place().index, qsizetype(2));
        QCOMPARE(effects.count(109), 5);
        // OK remembers the last file visited, even with a built-in picture chosen.
        dialog.showPreviousPicture();
        dialog.showPreviousPicture();
        dialog.showPreviousPicture(); // 105
        QCOMPARE(place().pictureSource, PictureSource::BuiltIn);
        dialog.confirmChoice();
        QCOMPARE(readSetting(keys::pictureSource), QStringLiteral("0"));
        QCOMPARE(readSetting(keys::pictureNumber), QStringLiteral("105"));
        QCOMPARE(readSetting(keys::pictureFile), QStringLiteral("a.jpg"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void theRingGoesOnThroughThePlayersOwnPictures()
    {
        makePicture("a.jpg", Qt::green);
        makePicture("B.png", Qt::green);
        makePicture("c.JPEG", Qt::green);
        QDir().mkpath(playerPicturesFolder());
        QFile::copy(outsidePicture("a.jpg", Qt::red), playerPicturesFolder() + "a.jpg");
        QFile::copy(outsidePicture("D.jpeg", Qt::red), playerPicturesFolder() + "D.jpeg");
        PictureChoiceDialog dialog;
        dialog.load();
        // The program's files, then the player's; "a.jpg" of both folders is the player's, once.
        QCOMPARE(dialog.files(), (QStringList{"B.png", "c.JPEG", "a.jpg", "D.jpeg"}));
        QCOMPARE(pictureFilePath("a.jpg"), playerPicturesFolder() + "a.jpg");
        QCOMPARE(pictureFilePath("B.png"), picsFolder() + "/B.png");
        // Chosen, it is what the game shows at the next start.
        shared().pictureSource = PictureSource::File;
        shared().pictureFileIndex = 2;
        dialog.confirmChoice();
        PuzzleTable next;
        next.load();
        QCOMPARE(shared().pictureFile, playerPicturesFolder() + "a.jpg");
        QCOMPARE(next.pieceCutter.picture().pixelColor(5, 5).red() > 200, true);
    }

    void picturesAreAddedByTheFileChooserAndByDropping()
    {
        test::ScriptedDialogs chooser;
        test::ScriptedReporter reporter;
        makePicture("B.png", Qt::green);
        const QString photo = outsidePicture("Holiday.JPG", Qt::blue);
        chooser.chosen << QStringList{photo};
        PictureChoiceDialog dialog;
        dialog.load();
        QCOMPARE(dialog.addButton->text(), langText(195));
        QCOMPARE(dialog.addButton->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
        dialog.choosePicturesToAdd();
        QVERIFY(chooser.filePatterns.contains("*.jpeg") && chooser.filePatterns.contains("*.png"));
        QVERIFY(QFile::exists(playerPicturesFolder() + "Holiday.JPG"));
        QVERIFY(QFile::exists(photo)); // copied, not moved
        // The new picture is the candidate at once, named by its file.
        QCOMPARE(place().pictureSource, PictureSource::File);
        QCOMPARE(dialog.files().value(place().index), QStringLiteral("Holiday.JPG"));
        QCOMPARE(dialog.previewImage->accessibleName(), QStringLiteral("Holiday.JPG"));
        // The same name again, and a name the program's folder has: numbered, nothing overwritten.
        chooser.chosen << QStringList{photo, outsidePicture("B.png", Qt::red)};
        dialog.choosePicturesToAdd();
        QVERIFY(QFile::exists(playerPicturesFolder() + "Holiday (2).JPG"));
        QVERIFY(QFile::exists(playerPicturesFolder() + "B (2).png"));
        QVERIFY(!QFile::exists(playerPicturesFolder() + "B.png"));
        QCOMPARE(dialog.files().value(place().index), QStringLiteral("B (2).png"));
        // A file that does not decode is reported and not copied.
        QFile broken(QDir::tempPath() + "/Pictures/broken.jpg");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("no picture here");
        broken.close();
        chooser.chosen << QStringList{broken.fileName()};
        dialog.choosePicturesToAdd();
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports.first().number, int(ErrInvalidPicture));
        QVERIFY(!QFile::exists(playerPicturesFolder() + "broken.jpg"));
        // Cancel adds nothing.
        const QStringList before = dialog.files();
        dialog.choosePicturesToAdd();
        QCOMPARE(dialog.files(), before);
        // Dropped from a file manager: pictures are taken, other files are
        // not, nor one whose header states 32768 x 32768 pixels. They are
        // added once the drop is over.
        const QString huge = outsidePicture("Huge.bmp", Qt::red);
        QFile header(huge);
        QVERIFY(header.open(QIODevice::ReadWrite) && header.seek(18));
        header.write(QByteArray::fromHex("0080000000800000"));
        header.close();
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(huge), QUrl::fromLocalFile(outsidePicture("Dropped.png", Qt::yellow)),
                         QUrl::fromLocalFile(QDir::tempPath())});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        reporter.answers << ErrorAnswer::Ignore; // the player goes on past the report
        QCoreApplication::sendEvent(&dialog, &drop);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(playerPicturesFolder() + "Dropped.png"), 60000);
        QCOMPARE(dialog.files().value(place().index), QStringLiteral("Dropped.png"));
        QCOMPARE(reporter.reports.size(), 2);
        QCOMPARE(reporter.reports.last().number, int(ErrInvalidPicture));
        QVERIFY(!QFile::exists(playerPicturesFolder() + "Huge.bmp"));
        QMimeData text;
        text.setText("just words");
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        refused.setAccepted(false);
        QCoreApplication::sendEvent(&dialog, &refused);
        QVERIFY(!refused.isAccepted());
    }

    void aFailureThatHitsManyFilesIsToldOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("disk"); // under the folder written: "full", "room for a few" or "read-only"
        QTest::addColumn<int>("reason");
        QTest::newRow("twenty chosen, the disk full") << "chosen" << 20 << "full" << 231;
        QTest::newRow("two hundred dropped, the disk full") << "dropped" << 200 << "full" << 231;
        QTest::newRow("twenty chosen, room for a few") << "chosen" << 20 << "room for a few" << 231;
        QTest::newRow("twenty chosen, the disk read-only") << "chosen" << 20 << "read-only" << 232;
        // "It stays as it was" only of a file that was there.
        QTest::newRow("copies of a photo, the cache's disk full") << "cached" << 5 << "full" << 234;
    }

    void aFailureThatHitsManyFilesIsToldOnce()
    {
        QFETCH(QString, how);
        QFETCH(int, files);
        QFETCH(QString, disk);
        QFETCH(int, reason);
        test::ScriptedDialogs dialogs;
        test::ScriptedReporter reporter;
        const QString folder = how == "cached" ? pictureCacheFolder() : playerPicturesFolder();
        test::SmallDisk small(folder, 256);
        if (!small.mounted())
            QSKIP(qPrintable(small.reason()));
        if (disk == "full")
            small.fill();
        else if (disk == "read-only")
            QVERIFY(small.makeReadOnly());
        setMessageTexts(langText);
        tellOfUnwritableFiles();
        forgetWriteFailures();
        QStringList paths;
        QList<QUrl> urls;
        for (int n = 0; n < files; ++n) {
            paths << grainyPicture(QStringLiteral("photo %1.png").arg(n), n);
            urls << QUrl::fromLocalFile(paths.last());
        }
        PictureChoiceDialog dialog;
        dialog.load();
        QMimeData dropped;
        dropped.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        dialogs.chosen << paths;
        if (how == "chosen")
            dialog.choosePicturesToAdd();
        else if (how == "dropped")
            QVERIFY(QCoreApplication::sendEvent(&dialog, &enter) && QCoreApplication::sendEvent(&dialog, &drop));
        for (int n = 0; how == "cached" && n < files; ++n)
            keepCachedPicture(test::writeTempFile("large.jpg", QByteArray(1100 * 1024, 'x')), QSize(400 + 100 * n, 300 + 75 * n),
                              1100 * 1024, QImage(paths.at(n)));
        QTRY_VERIFY_WITH_TIMEOUT(!dialogs.informed.isEmpty(), 120000);
        QCoreApplication::processEvents();

        const qsizetype added = QDir(folder).entryList(QDir::Files).size();
        QVERIFY(disk != "room for a few" || (added > 0 && added < files)); // a few fitted, the rest did not
        const QString count = langText(230).replace("%1", QString::number(files - added)).replace("%2", QString::number(files));
        const QString told = how == "cached" ? langText(qint16(reason)) + "\n\n" + folder
                                             : count + "\n\n" + langText(qint16(reason)) + "\n\n" + folder;
        QCOMPARE(dialogs.informed, QStringList{told}); // one box, however many files
        QVERIFY(reporter.reports.isEmpty());
        // Nothing half written is left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(".tmp-"), QStringList());
        setWriteFailureNotice(nullptr);
        setMessageTexts({});
    }

    void aPictureIsNeverChosenUnderANameTheSettingsCannotHold()
    {
        test::ScriptedDialogs dialogs;
        const QString longName = " " + QString(250, u'a') + ".jpg"; // 255 bytes, as long as a name can be
        QCOMPARE(freePictureName(" .hidden.gif"), QStringLiteral("hidden.gif")); // the ring lists no hidden file
        makePicture("%2 x.jpg", Qt::red);
        QCOMPARE(freePictureName("%2 x.jpg"), QStringLiteral("%2 x (2).jpg"));
        // Added, the copy is chosen by OK and is what the settings give back.
        for (const QString& name : {QString(" beach.jpg"), longName}) {
            dialogs.chosen << QStringList{outsidePicture(name, Qt::blue)};
            PictureChoiceDialog dialog;
            dialog.load();
            dialog.choosePicturesToAdd();
            const QString added = dialog.files().value(place().index);
            // Shortened to 160 bytes less room for a " (2)": 148 + ".jpg".
            QCOMPARE(added, name == longName ? QString(148, u'a') + ".jpg" : QStringLiteral("beach.jpg"));
            QVERIFY(QFile::exists(playerPicturesFolder() + added));
            dialog.confirmChoice();
            QCOMPARE(readSetting(keys::pictureFile), added);
        }
        // Put there by hand: refused by OK with a word, nothing stored.
        makePicture(" beach.jpg", Qt::green);
        PictureChoiceDialog dialog;
        dialog.load();
        shared().pictureSource = PictureSource::File;
        shared().pictureFileIndex = qint16(dialog.files().indexOf(" beach.jpg"));
        const QString before = readSetting(keys::pictureFile);
        dialog.confirmChoice();
        QCOMPARE(dialogs.informed, QStringList{langText(180) + "\n\n" + picsFolder() + "/ beach.jpg"});
        QVERIFY(dialog.result() != int(QDialog::Accepted));
        QCOMPARE(readSetting(keys::pictureFile), before);
    }

    void screenReadersHearWhatTheButtonsDoAndWhatThePictureIs()
    {
        shared().pictureSource = PictureSource::BuiltIn;
        shared().pictureNumber = 102;
        PictureChoiceDialog dialog;
        dialog.load();
        QCOMPARE(dialog.previousButton->accessibleName(), langText(131));
        QCOMPARE(dialog.nextButton->accessibleName(), langText(132));
        QCOMPARE(dialog.previewImage->accessibleName(), langText(197)); // the second built-in picture's title
        QCOMPARE(dialog.previewImage->size(), QSize(267, 200));
    }

    void withoutPicturesTheRingIsTheBuiltIns_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("no folder") << false;
        QTest::newRow("an empty folder") << true;
    }

    void withoutPicturesTheRingIsTheBuiltIns()
    {
        QFETCH(bool, folder);
        if (folder)
            QDir().mkpath(picsFolder());
        shared().pictureSource = PictureSource::File;
        shared().pictureNumber = 105;
        PictureChoiceDialog dialog;
        dialog.load();
        QCOMPARE(place().pictureSource, PictureSource::BuiltIn);
        dialog.showNextPicture();
        QCOMPARE(place().picture, qint16(101));
        dialog.showPreviousPicture();
        QCOMPARE(place().picture, qint16(105));
        QCOMPARE(place().pictureSource, PictureSource::BuiltIn);
        dialog.confirmChoice();
        QCOMPARE(readSetting(keys::pictureFile), QStringLiteral("puzzle01.jpg")); // nothing to remember: the stored default stays
    }

    void aRingOfFortyThousandFilesReachesItsLastAndWraps()
    {
        // Past 32767 files: an Integer index wrapped negative and named the folder itself.
        QDir().mkpath(picsFolder());
        for (int n = 1; n < 40000; ++n) {
            QFile file(picsFolder() + QStringLiteral("/p%1.bmp").arg(n, 5, 10, QLatin1Char('0')));
            QVERIFY(file.open(QIODevice::WriteOnly)); // never shown: empty will do
        }
        makePicture("p40000.bmp", Qt::blue);
        saveSetting(keys::pictureFile, QStringLiteral("p40000.bmp"));
        shared().pictureSource = PictureSource::File;
        test::ScriptedReporter reporter;
        PictureChoiceDialog dialog;
        dialog.load();
        QCOMPARE(reporter.reports.size(), 0);
        QCOMPARE(place().index, qsizetype(39999));
        QCOMPARE(dialog.previewImage->accessibleName(), QStringLiteral("p40000.bmp"));
        dialog.showNextPicture(); // from the last file to the first built-in picture
        QVERIFY(place().pictureSource == PictureSource::BuiltIn && place().picture == 101);
        dialog.showPreviousPicture(); // and back to the last file
        QVERIFY(place().pictureSource == PictureSource::File && place().index == 39999);
        QCOMPARE(reporter.reports.size(), 0);
        // Across the Integer's end; a place the ring does not hold starts it anew.
        QCOMPARE(nextInRing({PictureSource::File, 105, 32767}, 40000).pictureFileIndex, qsizetype(32768));
        QCOMPARE(previousInRing({PictureSource::File, 105, 32768}, 40000).pictureFileIndex, qsizetype(32767));
        QCOMPARE(nextInRing({PictureSource::BuiltIn, 32767, 0}, 40000).pictureNumber, 102);
    }

    void aStoredFileNoLongerThereKeepsTheIndex()
    {
        makePicture("a.jpg", Qt::green);
        makePicture("b.jpg", Qt::green);
        saveSetting(keys::pictureFile, QStringLiteral("gone.jpg"));
        shared().pictureFileIndex = 1;
        PictureChoiceDialog dialog;
        dialog.load();
        QCOMPARE(shared().pictureFileIndex, qsizetype(1));
        saveSetting(keys::pictureFile, QStringLiteral("a.jpg"));
        PictureChoiceDialog again;
        again.load();
        QCOMPARE(shared().pictureFileIndex, qsizetype(0));
    }

    void aBrokenFileIsReportedAndTheGameKeepsAPicture()
    {
        GameFixture game;
        test::ScriptedReporter reporter;
        makeBroken("a.jpg");
        makePicture("b.jpg", Qt::green, QSize(80, 60));
        shared().pictureNumber = 105;
        shared().pictureSource = PictureSource::BuiltIn;
        PictureChoiceDialog dialog;
        dialog.load();
        dialog.showNextPicture();
        QCOMPARE(reporter.reports.size(), 1);
        QCOMPARE(reporter.reports.first().number, int(ErrInvalidPicture));
        QCOMPARE(reporter.reports.first().procedure, QStringLiteral("cmdNext_Click"));
        dialog.showNextPicture();
        QCOMPARE(reporter.reports.size(), 1);
        // The broken file chosen: the game window reports it and keeps the picture it has.
        const QImage before = game.t().pieceCutter.picture();
        QVERIFY(!before.isNull());
        saveIntegerSetting(keys::pictureSource, 1);
        saveSetting(keys::pictureFile, QStringLiteral("a.jpg"));
        shared().pictureSource = PictureSource::File;
        game.t().runToolButton(ToolButton::Picture);
        QCOMPARE(reporter.reports.size(), 2);
        QCOMPARE(game.t().pieceCutter.picture(), before);
        // At the next start too, the game comes up with a picture it can show.
        PuzzleTable next;
        next.load();
        QCOMPARE(reporter.reports.size(), 3);
        QVERIFY(!next.pieceCutter.picture().isNull());
    }

    void theGameWindowTakesTheChosenPicture()
    {
        GameFixture game;
        makePicture("a.jpg", Qt::green, QSize(96, 72));
        game.services.pictureChoice = [] {
            PictureChoiceDialog dialog;
            dialog.load();
            dialog.showPreviousPicture(); // from 101 to the last file
            QTest::mouseDClick(dialog.previewImage, Qt::LeftButton);
        };
        game.t().runToolButton(ToolButton::Picture);
        QCOMPARE(shared().pictureSource, PictureSource::File);
        QCOMPARE(game.t().pieceCutter.picture().size(), QSize(96, 72));
        QCOMPARE(game.t().previewPicture.size(), QSize(96, 72));
    }

    void closedWithoutOkTheGameKeepsItsPicture()
    {
        GameFixture game;
        makePicture("a.jpg", Qt::green, QSize(96, 72));
        makePicture("b.jpg", Qt::red, QSize(96, 72));
        const QImage before = game.t().pieceCutter.picture();
        const PictureSource source = shared().pictureSource;
        const int number = shared().pictureNumber;
        const QString stored = readSetting(keys::pictureSource, "none");
        for (const bool byEscape : {true, false}) {
            game.services.pictureChoice = [&] {
                PictureChoiceDialog dialog;
                dialog.load();
                dialog.show();
                QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                for (int i = 0; i < 6; ++i)
                    dialog.showNextPicture();
                if (byEscape)
                    QTest::keyClick(&dialog, Qt::Key_Escape);
                else
                    dialog.close(); // as the window's close button does
                QVERIFY(!dialog.isVisible());
                game.services.pictureChosen = dialog.result() == QDialog::Accepted;
            };
            game.t().runToolButton(ToolButton::Picture);
            QCOMPARE(game.services.pictureChosen, false);
            QCOMPARE(shared().pictureSource, source);
            QCOMPARE(shared().pictureNumber, number);
            QCOMPARE(game.t().pieceCutter.picture(), before);
            QCOMPARE(readSetting(keys::pictureSource, "none"), stored);
        }
    }

    void theBackSideIsChosenAtTheClick()
    {
        BackChoiceDialog dialog;
        dialog.load();
        QCOMPARE(dialog.selectionFrame->geometry().center(), dialog.backPicture[9]->geometry().center());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.backPicture[3], Qt::LeftButton);
        QCOMPARE(readSetting(keys::backSide), QStringLiteral("3"));
        QCOMPARE(shared().backSide, 3);
        QCOMPARE(dialog.selectionFrame->geometry().center(), dialog.backPicture[3]->geometry().center());
        QVERIFY(dialog.isVisible());
        QTest::mouseDClick(dialog.backPicture[5], Qt::LeftButton);
        QCOMPARE(readSetting(keys::backSide), QStringLiteral("5"));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        // The game window takes the new back side after the dialog.
        GameFixture game;
        game.services.backChoice = [] { shared().backSide = 2; };
        game.t().runToolButton(ToolButton::BackSide);
        QCOMPARE(game.t().backPicture, backSideCutter().cell(2));
    }
};

TESSARON_TEST_MAIN(TestChoiceDialogs)
#include "test_choice_dialogs.moc"
