#include "util/Text.h"

namespace tess {

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString firstCharacters(const QString& text, int count)
{
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken)
        end += text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate() ? 2 : 1;
    return text.left(end);
}

QString isolated(const QString& text)
{
    return QChar(u'\u2068') + text + QChar(u'\u2069');
}

QString withoutIsolates(const QString& text)
{
    QString plain = text;
    plain.remove(QChar(u'\u2068'));
    plain.remove(QChar(u'\u2069'));
    return plain;
}

} // namespace tess
