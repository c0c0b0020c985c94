// The classic number conversions: halves to even, 16-bit overflow, texts.

#include "support/Errors.h"
#include "support/TestEnvironment.h"
#include "util/Numbers.h"
#include "util/RunTimeError.h"

using namespace tess;
using tess::test::errorOf;


class TestNumbers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void halvesGoToTheEvenNeighbour_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("-3.5") << -3.5 << -4;
        QTest::newRow("2.4999") << 2.4999 << 2;
        QTest::newRow("2.5001") << 2.5001 << 3;
        QTest::newRow("10.05") << 10.05 << 10;
        QTest::newRow("-0.4") << -0.4 << 0;
    }
    void halvesGoToTheEvenNeighbour()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(int(toInt16(value)), expected);
    }

    void integerRangeIsSixteenBits()
    {
        QCOMPARE(toInt16(32767.0), qint16(32767));
        QCOMPARE(toInt16(-32768.0), qint16(-32768));
        QCOMPARE(toInt16(32767.4), qint16(32767));
        QCOMPARE(errorOf([] { toInt16(32767.5); }), 6); // rounds to 32768
        QCOMPARE(errorOf([] { toInt16(-32768.6); }), 6);
        QCOMPARE(errorOf([] { addInt16(32000, 1000); }), 6);
        QCOMPARE(addInt16(6000, 176), qint16(6176));
        QCOMPARE(errorOf([] { toInt32(3e9); }), 6);
        QCOMPARE(toInt32(2147483647.0), 2147483647);
    }

    void textsAreReadWithBlanksAllowed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << "1000" << 1000;
        QTest::newRow("leading blank") << " 2000" << 2000;
        QTest::newRow("tabs and blanks") << "\t -1 \t" << -1;
        QTest::newRow("fraction even") << "4.5" << 4;
        QTest::newRow("fraction odd") << "5.5" << 6;
        QTest::newRow("plus sign") << "+7" << 7;
        QTest::newRow("exponent") << "1e2" << 100;
    }
    void textsAreReadWithBlanksAllowed()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(int(textToInt16(text)), expected);
    }

    void textsThatAreNoNumbersAreTypeMismatches()
    {
        for (const QString& text : {QString(), QStringLiteral("  "), QStringLiteral("abc"), QStringLiteral("12abc"),
                                    QStringLiteral("inf"), QStringLiteral("nan"), QStringLiteral("0x10"),
                                    QStringLiteral("1 2")}) {
            QCOMPARE(errorOf([&] { textToInt16(text); }), 13);
        }
        QCOMPARE(errorOf([] { textToInt16(QStringLiteral("40000")); }), 6);
        QCOMPARE(errorOf([] { textToInt16(QStringLiteral("-32769")); }), 6);
    }

    void numberTextPutsABlankBeforeNonNegativeNumbers()
    {
        QCOMPARE(numberText(7), QStringLiteral(" 7"));
        QCOMPARE(numberText(0), QStringLiteral(" 0"));
        QCOMPARE(numberText(-1), QStringLiteral("-1"));
        QCOMPARE(numberText(1000), QStringLiteral(" 1000"));
        // and reading it back ignores the blank
        QCOMPARE(textToInt16(numberText(7)), qint16(7));
    }

    void paddedNumbersHaveAtLeastTheirDigits()
    {
        QCOMPARE(paddedNumber(111, 4), QStringLiteral("0111"));
        QCOMPARE(paddedNumber(6176, 4), QStringLiteral("6176"));
        QCOMPARE(paddedNumber(12345, 4), QStringLiteral("12345"));
        QCOMPARE(paddedNumber(140, 6), QStringLiteral("000140"));
        QCOMPARE(paddedNumber(-5, 4), QStringLiteral("-0005"));
    }
};

TESSARON_TEST_MAIN(TestNumbers)
#include "test_numbers.moc"
