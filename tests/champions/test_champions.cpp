// The champions list: the scrambling codec, the file of ten ranks per board
// size, the rule that lets a result in, and the dialog.

#include "champions/ChampionsCodec.h"
#include "champions/ChampionsList.h"
#include "champions/ChampionsDialog.h"
#include "language/Language.h"
#include "settings/Profile.h"
#include "settings/SharedState.h"
#include "support/FreshState.h"
#include "support/RecordingEffects.h"
#include "support/ScriptedDialogs.h"
#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"
#include "util/Paths.h"

#include <QAccessible>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QFontMetrics>
#include <QProcess>
#include <QThread>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace tess;

namespace {

QByteArray fileBytes()
{
    QFile file(ChampionsFile::path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Stores ten entries of size `size` straight into the file.
void storeList(qint16 size, const QStringList& entries)
{
    RankedList list;
    for (const QString& entry : entries)
        list.add(entry);
    QVERIFY(ChampionsFile(size).writeList(list));
}

// The results the two copies of twoCopiesEnteringAtOnceKeepEveryResult enter into one list.
QStringList enteredByCopies(qint16 size, const QString& only = QString())
{
    QStringList entries;
    for (const QString& name : {QStringLiteral("A"), QStringLiteral("B")})
        for (int i = 0; i < 5; ++i)
            if (only.isEmpty() || only == name)
                entries << QStringLiteral("%1%2%3").arg((name == QStringLiteral("A") ? 100 : 200) + i + size, 5, 10, QChar(u'0')).arg(name).arg(i);
    return entries;
}

QStringList shownNames(const ChampionsDialog& dialog)
{
    QStringList names;
    for (const QLabel* name : dialog.nameLabels)
        names << name->text();
    return names;
}

} // namespace

class TestChampions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        test::freshState();
        shared().boardRows = 4;
        shared().boardCols = 5;
    }

    void theCodecMatchesValuesWorkedOutByHand()
    {
        // "00045Anna" XOR "TessaronT": 64 55 43 47 54 33 01 00 35.
        QString entry = QStringLiteral("00045Anna");
        QCOMPARE(encodeEntry(entry), QStringLiteral("18645543475433010035"));
        QString stored = QStringLiteral("18645543475433010035");
        QCOMPARE(decodeEntry(stored), QStringLiteral("00045Anna"));
        // Codes 5 and 160 after scrambling: one digit gets its leading zero.
        QString high = QString::fromUtf8("Q\u00c5");
        QCOMPARE(encodeEntry(high), QStringLiteral("0405A0"));
        QString twice = QStringLiteral("any text");
        scramble(twice);
        scramble(twice);
        QCOMPARE(twice, QStringLiteral("any text"));
        QString empty;
        QCOMPARE(encodeEntry(empty), QStringLiteral("00"));
        QString zero = QStringLiteral("00");
        QCOMPARE(decodeEntry(zero), QString());
    }

    void damagedValuesDecodeWithoutHarm()
    {
        const QStringList damaged = {"zz6455", "", "1", "99645543", "18ZZ55434754330100", "0A6455", "-5645543", "\xff\xfe"};
        for (QString value : damaged) {
            QString copy = value;
            const QString entry = decodeEntry(copy);
            QVERIFY2(entry.size() <= 49, qPrintable(value));
        }
        QString longer = QStringLiteral("99645543"); // a count beyond the digits decodes what is there
        QCOMPARE(decodeEntry(longer), QStringLiteral("000"));
        QString noNumber = QStringLiteral("x1645543");
        QCOMPARE(decodeEntry(noNumber), QString());
        // A damaged file: every slot that cannot be decoded reads as empty.
        QFile garbage(ChampionsFile::path());
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("[m1]\r\n1=18645543475433010035\r\n2=zz\r\n3\r\n=99\r\n[[\r\n4=0\r\n\xff\xfe\x00\r\n");
        garbage.close();
        RankedList list;
        ChampionsFile(1).readList(list);
        QCOMPARE(list.size(), 10);
        QCOMPARE(list.at(9), QStringLiteral("00045Anna"));
        QCOMPARE(rowsToShow(list)[0].name, QStringLiteral("Anna"));
        QCOMPARE(rowsToShow(list)[1].points, QString());
    }

    void aFirstResultFillsOneSectionOfTenKeys()
    {
        RankedList list;
        ChampionsFile file(1);
        file.readList(list);
        QCOMPARE(list.items(), QStringList(10, QString()));
        list.add(makeEntry(QStringLiteral("00045"), QStringLiteral("Anna")));
        QVERIFY(file.writeList(list));
        const Profile stored(ChampionsFile::path());
        QCOMPARE(stored.read("M1 ", "1"), QStringLiteral("18645543475433010035"));
        for (int key = 2; key <= 10; ++key)
            QCOMPARE(stored.read("m1", QString::number(key)), QStringLiteral("00"));
        QVERIFY(!stored.find("m1", "11"));
        QCOMPARE(fileBytes().count("["), 1);
        // A 20-character name: an entry of 25 characters, stored with the count 50.
        list.add(makeEntry(QStringLiteral("00045"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY")));
        QVERIFY(file.writeList(list));
        QCOMPARE(stored.read("m1", "2"), QStringLiteral("506455434754332D2D10203534293B252518283D3C31233D3D00")); // ranks below "Anna"
    }

    void equalPointsRankByNameWithoutCase()
    {
        RankedList list;
        for (const char* entry : {"00045Zoe", "00046bob", "00045anna", "", "00045Vodez"})
            list.add(QString::fromLatin1(entry));
        QCOMPARE(list.items(), (QStringList{"", "00045anna", "00045Vodez", "00045Zoe", "00046bob"}));
        const auto rows = rowsToShow(list);
        QCOMPARE(rows[5].name, QStringLiteral("bob")); // five entries: the best in the fifth row from the bottom
    }

    void aResultEntersOnlyAboveTheLowest()
    {
        QVERIFY(!qualifies(QStringLiteral("00030"), QStringLiteral("00030Bob")));
        QVERIFY(qualifies(QStringLiteral("00031"), QStringLiteral("00030Bob")));
        QVERIFY(!qualifies(QStringLiteral("00000"), QString()));
        QVERIFY(qualifies(QStringLiteral("00001"), QString()));
        QCOMPARE(makeEntry(QStringLiteral("00045"), QStringLiteral("  Anna  ")), QStringLiteral("00045Anna"));
        QCOMPARE(makeEntry(QStringLiteral("00045"), QString::fromUtf8("Zo\u00eb \u65e5\u672c")), QString::fromUtf8("00045Zo\u00eb \u65e5\u672c"));
    }

    void namesInAnyScriptComeBackAsTyped()
    {
        const QString section = QStringLiteral("m%1").arg(shared().sizeIndex);
        const auto stored = [&](int rank) {
            return Profile(ChampionsFile::path()).read(section, QString::number(rank));
        };
        // A name of code page 1252 is written byte for byte as ever: "00045Zo\xeb"
        // XOR "Tessaron", its count 16; a file of before reads the same.
        storeList(shared().sizeIndex, {QString::fromUtf8("00045Zo\u00eb")});
        QCOMPARE(stored(1), QStringLiteral("166455434754280085"));
        RankedList list;
        ChampionsFile(shared().sizeIndex).readList(list);
        QCOMPARE(list.at(list.size() - 1), QString::fromUtf8("00045Zo\u00eb"));
        // A name beyond the code page goes in as UTF-8 bytes, scrambled alike:
        // "00045" then C5 81 ("\u0141") and "ukasz".
        storeList(shared().sizeIndex, {QString::fromUtf8("00045\u0141ukasz")});
        QCOMPARE(stored(1), QStringLiteral("246455434754B7EE1B3F040009"));
        // Mixed scripts, twenty Chinese characters (a count of three digits),
        // a character beyond 16 bits: all come back through the real file.
        const QString twenty = QString::fromUtf8("\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03\u516b\u4e5d\u5341"
                                                 "\u9648\u6797\u9ec4\u5f20\u674e\u738b\u5218\u6768\u8d75\u5434\u5468\u5f90");
        const QStringList names = {QString::fromUtf8("\u039d\u03af\u03ba\u03bf\u03c2"), QString::fromUtf8("\u9648"),
                                   QString::fromUtf8("Zo\u00eb \u65e5\u672c \u0141\u00f3d\u017a"), twenty,
                                   QString::fromUtf8("Ana \U0001F3B2\U0001F3B2")};
        QStringList entries;
        for (int i = 0; i < names.size(); ++i)
            entries << makeEntry(QStringLiteral("%1").arg(50 - i, 5, 10, QChar(u'0')), names[i]);
        QCOMPARE(entries[3].mid(5), twenty.left(20)); // twenty characters kept, not twenty bytes
        storeList(shared().sizeIndex, entries);
        QVERIFY(stored(4).startsWith(QStringLiteral("130"))); // 5 + 20 x 3 bytes, 130 digits
        ChampionsFile(shared().sizeIndex).readList(list);
        for (const QString& entry : entries)
            QVERIFY2(list.items().contains(entry), qPrintable(entry));
        // Each name fits its row of the list, the Chinese one drawn smaller.
        ChampionsDialog dialog;
        dialog.load();
        for (const QLabel* row : dialog.nameLabels)
            QVERIFY2(QFontMetrics(row->font()).horizontalAdvance(row->text()) <= row->width(), qPrintable(row->text()));
        QVERIFY(shownNames(dialog).contains(twenty.left(20)));
        // A row too narrow for a name cuts it short; the whole name is its tip, as plain text.
        storeList(shared().sizeIndex, {QStringLiteral("00045<h1>Tall</h1> <img src=x>")});
        dialog.load();
        for (QLabel* narrow : dialog.nameLabels)
            narrow->setFixedWidth(60);
        dialog.showChampions();
        QLabel* row = *std::find_if(dialog.nameLabels.begin(), dialog.nameLabels.end(), [](QLabel* r) { return r->text().startsWith(u'<'); });
        QVERIFY2(row->text().endsWith(QChar(0x2026)), qPrintable(row->text() + QString::number(row->width())));
        QVERIFY2(row->toolTip().contains(QStringLiteral("&lt;h1&gt;Tall&lt;/h1&gt; &lt;img src=x&gt;")) && !row->toolTip().contains(QStringLiteral("<h1>")),
                 qPrintable(row->toolTip()));
    }

    void aNewChampionIsAskedForAndEntered()
    {
        test::RecordingEffects effects;
        test::ScriptedDialogs dialogs;
        dialogs.typed << QStringLiteral("   Anna   ");
        shared().newResultPending = true;
        shared().championScore = QStringLiteral("00045");
        ChampionsDialog dialog;
        dialog.load();
        QCOMPARE(dialogs.asked, QStringList{langText(126)});
        QCOMPARE(dialogs.limits, QList<int>{ChampionsFile::MaxNameLength}); // the prompt takes what is kept
        QCOMPARE(dialogs.titles, QStringList{langText(125)});
        QCOMPARE(effects.played.size(), 1);
        QVERIFY(effects.played.first().first >= 122 && effects.played.first().first <= 124);
        QCOMPARE(shownNames(dialog), (QStringList{"Anna", "", "", "", "", "", "", "", "", ""}));
        QCOMPARE(dialog.scoreLabels[0]->text(), QStringLiteral("45"));
        // Cancel enters the result without a name; a full list drops its lowest.
        storeList(1, {"00030Bob", "00040A", "00050B", "00060C", "00070D", "00080E", "00090F", "00100G", "00110H", "00120I"});
        shared().championScore = QStringLiteral("00030");
        ChampionsDialog equal;
        equal.load();
        QCOMPARE(dialogs.asked.size(), 1); // 30 against a lowest 30: not asked
        shared().championScore = QStringLiteral("00031");
        ChampionsDialog above;
        above.load();
        QCOMPARE(dialogs.asked.size(), 2);
        QCOMPARE(above.nameLabels[9]->text(), QString());
        QCOMPARE(above.scoreLabels[9]->text(), QStringLiteral("31"));
        QVERIFY(!above.ranked().items().contains(QStringLiteral("00030Bob")));
    }

    void lookingNeverAsksNorWrites()
    {
        test::ScriptedDialogs dialogs;
        storeList(1, {"00045Anna"});
        const QByteArray before = fileBytes();
        shared().championScore = QStringLiteral("09999");
        shared().newResultPending = false;
        ChampionsDialog dialog;
        dialog.load();
        QVERIFY(dialogs.asked.isEmpty());
        QCOMPARE(fileBytes(), before);
        QCOMPARE(dialog.nameLabels[0]->text(), QStringLiteral("Anna"));
    }

    void deletingAsksFirstAndClearsOnlyThisSize()
    {
        test::ScriptedDialogs dialogs;
        storeList(1, {"00045Anna"});
        storeList(4, {"00099Zoe"});
        const QByteArray before = fileBytes();
        dialogs.answers = {false, true};
        ChampionsDialog dialog;
        dialog.load();
        dialog.clearChampions();
        QCOMPARE(fileBytes(), before);
        QCOMPARE(dialogs.asked.last(), langText(173));
        dialog.clearChampions();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!Profile(ChampionsFile::path()).find("m1", "1"));
        QVERIFY(Profile(ChampionsFile::path()).find("m4", "1"));
        ChampionsDialog again;
        again.load();
        QCOMPARE(shownNames(again), QStringList(10, QString()));
    }

    void aResultThatCannotBeStoredIsToldPlainly()
    {
        test::ScriptedDialogs dialogs;
        dialogs.typed << QStringLiteral("Anna");
        storeList(1, {"00010Old"});
        const QByteArray before = fileBytes();
        if (!test::makeUnwritable(ChampionsFile::path()))
            QSKIP("this machine cannot make a file unwritable");
        shared().newResultPending = true;
        shared().championScore = QStringLiteral("00045");
        ChampionsDialog dialog;
        dialog.load();
        test::makeWritable(ChampionsFile::path());
        QCOMPARE(dialogs.informed.size(), 1);
        QVERIFY(dialogs.informed.first().startsWith(langText(181)));
        QCOMPARE(fileBytes(), before);
    }

    void aFullDiskKeepsEveryListAndSaysSo()
    {
        const QString folder = QFileInfo(ChampionsFile::path()).absolutePath();
        test::SmallDisk disk(folder, 256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        QDir(folder).mkpath("pics"); // the program's folder stays the one written
        QCOMPARE(QFileInfo(ChampionsFile::path()).absolutePath(), folder);
        storeList(1, {"00010Old", "00020Older"});
        storeList(4, {"00500Eve"});
        const QByteArray before = fileBytes();
        disk.fill();
        test::ScriptedDialogs dialogs;
        dialogs.typed << QStringLiteral("Anna");
        shared().newResultPending = true;
        shared().championScore = QStringLiteral("00045");
        ChampionsDialog dialog;
        dialog.load();
        QCOMPARE(dialogs.informed, QStringList{langText(181) + "\n\n" + ChampionsFile::path()});
        QCOMPARE(fileBytes(), before); // every board size's list is still there
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "Tessaron.hsc"}));
    }

    void namesAreShownAsTypedNeverAsRichText()
    {
        test::ScriptedDialogs dialogs;
        const QString tagged = QStringLiteral("<b>x</b>");
        const QString image = QStringLiteral("<img src=m.png>"); // names hold at most 20 characters
        storeList(1, {"00045" + tagged, "00044" + image});
        ChampionsDialog dialog;
        dialog.load();
        QCOMPARE(dialog.nameLabels[0]->text(), tagged);
        // What the label shows, as a screen reader hears it: the eight characters, not a bold x.
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(dialog.nameLabels[0]);
        QVERIFY(spoken);
        QCOMPARE(spoken->text(QAccessible::Name), tagged);
        spoken = QAccessible::queryAccessibleInterface(dialog.nameLabels[1]);
        QVERIFY(spoken);
        QCOMPARE(spoken->text(QAccessible::Name), image);
        QVERIFY(dialog.nameLabels[1]->sizeHint().width() >= dialog.nameLabels[1]->fontMetrics().horizontalAdvance(image));
    }

    void aResultEnteredMeanwhileByAnotherCopyIsKept()
    {
        test::ScriptedDialogs dialogs;
        storeList(1, {"00010Old"});
        dialogs.typed << QStringLiteral("Anna");
        // While this player types, another copy of the game enters its result.
        dialogs.whileTyping = [] {
            RankedList theirs;
            QVERIFY(ChampionsFile(1).addResult(QStringLiteral("00050Ben"), theirs));
        };
        shared().newResultPending = true;
        shared().championScore = QStringLiteral("00045");
        ChampionsDialog dialog;
        dialog.load();
        QCOMPARE(shownNames(dialog).mid(0, 4), (QStringList{"Ben", "Anna", "Old", ""}));
        RankedList stored;
        ChampionsFile(1).readList(stored);
        QVERIFY(stored.items().contains(QStringLiteral("00050Ben")));
        QVERIFY(stored.items().contains(QStringLiteral("00045Anna")));
    }

    void twoCopiesEnteringAtOnceKeepEveryResult()
    {
        // Two processes, started together, each entering five results into
        // every board size's list as fast as it can.
        const QString go = test::tempFolder() + "/go";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TESSARON_TEST_PROGRAM"), test::programFolder());
        environment.insert(QStringLiteral("TESSARON_TEST_GO"), go);
        QList<QProcess*> copies;
        for (const char* name : {"A", "B"}) {
            auto* copy = new QProcess(this);
            copy->setProcessEnvironment(environment);
            copy->setProcessChannelMode(QProcess::ForwardedChannels);
            copy->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--enter-results"), QString::fromLatin1(name)});
            QVERIFY(copy->waitForStarted());
            copies << copy;
        }
        QTest::qWait(300); // both are up and waiting
        test::writeTempFile("go", "go");
        for (QProcess* copy : copies) {
            QVERIFY(copy->waitForFinished(60000));
            QCOMPARE(copy->exitCode(), 0);
        }
        for (qint16 size = 0; size <= 9; ++size) {
            RankedList stored;
            ChampionsFile(size).readList(stored);
            for (const QString& entry : enteredByCopies(size))
                QVERIFY2(stored.items().contains(entry), qPrintable(entry + " lost; kept: " + stored.items().join(u' ')));
        }
        QVERIFY(!QFile::exists(ChampionsFile::path() + ".lock"));
    }

    void aChampionsFileThatCannotBeReadIsNeverOverwritten()
    {
        test::ScriptedDialogs dialogs;
        storeList(1, {"00010Old", "00020Older"});
        const QByteArray before = fileBytes();
        dialogs.typed << QStringLiteral("Anna");
        shared().newResultPending = true;
        shared().championScore = QStringLiteral("00045");
        ChampionsDialog dialog;
        {
            test::NoFileHandlesLeft exhausted;
            dialog.load(); // the first read fails: the list starts empty
        }
        QCOMPARE(fileBytes(), before);
        QVERIFY(Profile::isKeptInMemory(ChampionsFile::path()));
        QCOMPARE(dialogs.informed.size(), 1); // the result was not stored
        QVERIFY(dialogs.informed.first().startsWith(langText(181)));
    }

    void theRealDialogThroughItsWidgets()
    {
        test::ScriptedDialogs dialogs;
        storeList(1, {"00045Anna", "00120Vodez"});
        ChampionsDialog dialog;
        dialog.load();
        QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(dialog.okButton, Qt::LeftButton); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.boardSizeLabel->text(), QStringLiteral("Teile: 4 x 5"));
        QCOMPARE(dialog.columnHeaders[0]->text(), QStringLiteral("Name"));
        QCOMPARE(dialog.columnHeaders[1]->text(), QStringLiteral("Punkte"));
        QCOMPARE(dialog.clearButton->text(), QStringLiteral("&Löschen"));
        QCOMPARE(dialog.titleLabel->text(), QStringLiteral("Tessaron Champions"));
        QCOMPARE(shownNames(dialog).mid(0, 3), (QStringList{"Vodez", "Anna", ""}));
        QCOMPARE(dialog.rankLabels[9]->text(), QStringLiteral("10."));
        QCOMPARE(dialog.titleLabel->palette().color(QPalette::Window), QColor(255, 204, 0));
        // In English from the next activation on.
        shared().language = English;
        dialogs.answers = {false};
        QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(dialog.clearButton, Qt::LeftButton); dialog.reject(); });
        dialog.exec();
        QCOMPARE(dialog.boardSizeLabel->text(), QStringLiteral("Pieces: 4 x 5"));
        QCOMPARE(dialogs.titles.last(), langText(171));
    }
};

int main(int argc, char* argv[])
{
    // A second copy of the game for twoCopiesEnteringAtOnceKeepEveryResult:
    // the parent's folders, five results of its own.
    if (argc == 3 && QByteArray(argv[1]) == "--enter-results") {
        QCoreApplication app(argc, argv);
        tess::setProgramFolder(qEnvironmentVariable("TESSARON_TEST_PROGRAM"));
        while (!QFile::exists(qEnvironmentVariable("TESSARON_TEST_GO")))
            QThread::msleep(1);
        for (int i = 0; i < 5; ++i) {
            for (qint16 size = 0; size <= 9; ++size) {
                RankedList list;
                if (!ChampionsFile(size).addResult(enteredByCopies(size, QString::fromLatin1(argv[2])).at(i), list))
                    return 1;
            }
        }
        return 0;
    }
    tess::test::isolateEnvironment();
    tess::GuardedApplication app(argc, argv);
    TestChampions testObject;
    return QTest::qExec(&testObject, argc, argv);
}
#include "test_champions.moc"
