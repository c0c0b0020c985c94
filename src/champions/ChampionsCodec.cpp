#include "champions/ChampionsCodec.h"

#include "settings/SettingKeys.h"
#include "util/Cp1252.h"
#include "util/Numbers.h"
#include "util/Trap.h"

namespace tess {

namespace {

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// The leading number of a text, the classic way: blanks first are skipped,
// reading stops at the first character that is no digit ("12AB" is 12, "x1" 0).
int leadingNumber(const QString& text, int base)
{
    int value = 0;
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
    }
    return value;
}

} // namespace

void scramble(QString& text)
{
    trapped("frmHighscore", "Crypt", [&](Steps& step) {
        step(50010, [&] {
            const QByteArray key = toCp1252(QString::fromLatin1(AppTitle));
            QByteArray codes = toCp1252(text);
            qsizetype k = 0;
            for (char& code : codes) {
                code = char(quint8(code) ^ quint8(key[k]));
                k = (k + 1) % key.size();
            }
            text = fromCp1252(codes);
        });
    });
}

QString encodeEntry(QString& entry)
{
    QString digits;
    trapped("frmHighscore", "Conv", [&](Steps& step) {
        step(50010, [&] { scramble(entry); });
        step(50020, [&] {
            for (const char code : toCp1252(entry))
                digits += QStringLiteral("%1").arg(quint8(code), 2, 16, QLatin1Char('0')).toUpper();
        });
        step(50030, [&] { digits = paddedNumber(qint32(digits.size()), 2) + digits; });
    });
    return digits;
}

QString decodeEntry(QString& value)
{
    QString entry;
    trapped("frmHighscore", "ConvBack", [&](Steps& step) {
        step(50010, [&] {
            // The first two characters carry the count: "1" of "1A" is one digit.
            // An entry of more than 49 bytes (a name in UTF-8) was written with
            // a count of three digits; it is known by its length, which a
            // two-digit count never gives.
            int digits = 2;
            int count = leadingNumber(value.left(2), 10);
            const int longCount = leadingNumber(value.left(3), 10);
            if (value.size() != 2 + count && longCount >= 100 && value.size() == 3 + longCount) {
                digits = 3;
                count = longCount;
            }
            value = value.mid(digits, count);
        });
        step(50020, [&] {
            QByteArray codes;
            for (qsizetype i = 0; i < value.size(); i += 2) {
                codes += char(leadingNumber(value.mid(i, 2), 16));
            }
            entry = fromCp1252(codes);
        });
        step(50030, [&] { scramble(entry); });
    });
    return entry;
}

} // namespace tess
