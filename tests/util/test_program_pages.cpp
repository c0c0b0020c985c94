// The carried data read again after its pages went back to the file cache,
// and the program's relocated data (its strings, its tables) still in place.
#include "resources/Resources.h"
#include "util/ProgramPages.h"
#include "support/TestEnvironment.h"

#include <QTest>

using namespace tess;

namespace {
const char* const Table[] = {"first", "second", "third"}; // relocated pointers: must survive
}

class ProgramPagesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void carriedDataReadsTheSameAfterRelease()
    {
        const QByteArray table = carriedData(1000, QStringLiteral("CUSTOM"));
        const QByteArray song = carriedData(1001, QStringLiteral("midi"));
        QVERIFY(!table.isEmpty());
        QVERIFY(!song.isEmpty());
        QVERIFY(releaseCarriedPages());
        QCOMPARE(carriedData(1000, QStringLiteral("CUSTOM")), table);
        QCOMPARE(carriedData(1001, QStringLiteral("midi")), song);
        QCOMPARE(QByteArray(Table[1]), QByteArray("second"));
        // Twice is as good as once.
        QVERIFY(releaseCarriedPages());
        QCOMPARE(carriedData(1000, QStringLiteral("CUSTOM")), table);
    }
};

TESSARON_TEST_MAIN(ProgramPagesTest)
#include "test_program_pages.moc"
