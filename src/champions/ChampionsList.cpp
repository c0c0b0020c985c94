#include "champions/ChampionsList.h"

#include "champions/ChampionsCodec.h"
#include "settings/Profile.h"
#include "settings/SettingKeys.h"
#include "util/Cp1252.h"
#include "util/Paths.h"
#include "util/Text.h"
#include "util/Trap.h"

#include <algorithm>

namespace tess {

namespace {

// The number a text starts with, as the classic conversion reads it ("00045Anna" is 45).
qint32 leadingPoints(const QString& text)
{
    qint32 value = 0;
    for (const QChar c : text.left(5)) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// The champions file is the player's: one that cannot be read is never written.
Profile championsProfile()
{
    return Profile(ChampionsFile::path(), ProfileEncoding::Cp1252, ProfileFile::Kept);
}

// The scrambling works on the bytes written (code page 1252, or UTF-8 for a
// name the code page cannot hold); the codec hands them on as a text of
// code page 1252 characters, one per byte.
QString decodedEntry(QString stored)
{
    return stored.isEmpty() ? QString() : fromStoredText(toCp1252(decodeEntry(stored)));
}

QString encodedEntry(const QString& entry)
{
    QString bytes = fromCp1252(toStoredText(entry));
    return encodeEntry(bytes);
}

// The ten best of the list by key "1" (the best) to "10", as stored.
QList<QPair<QString, QString>> storedRanks(const RankedList& list)
{
    QList<QPair<QString, QString>> values;
    for (int rank = 1; rank <= ChampionsFile::RankCount && rank <= list.size(); ++rank)
        values.append({QString::number(rank), encodedEntry(list.at(list.size() - rank))});
    return values;
}

// The list of a section's stored values.
RankedList rankedList(const QHash<QString, QString>& stored)
{
    RankedList list;
    for (int rank = 1; rank <= ChampionsFile::RankCount; ++rank)
        list.add(decodedEntry(stored.value(QString::number(rank))));
    return list;
}

} // namespace

void RankedList::add(const QString& entry)
{
    const auto place = std::upper_bound(items_.begin(), items_.end(), entry, [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    items_.insert(place, entry);
}

ChampionsFile::ChampionsFile(int size)
    : section_(QStringLiteral("m") + QString::number(size))
{
}

QString ChampionsFile::path()
{
    return writableFolder() + QString::fromLatin1(AppTitle) + QStringLiteral(".hsc");
}

QString ChampionsFile::readValue(const QString& key) const
{
    QString entry;
    trapped("frmHighscore", "GetHSVal", [&](Steps& step) {
        QString stored;
        step(50010, [&] { stored = championsProfile().read(section_, key); });
        step(50020, [&] { entry = decodedEntry(stored); });
    });
    return entry;
}

bool ChampionsFile::writeValue(const QString& key, const QString& value) const
{
    bool written = false;
    trapped("frmHighscore", "SaveHS", [&](Steps& step) {
        step(50010, [&] {
            const Profile file = championsProfile();
            written = key.isEmpty() ? file.removeSection(section_) : file.write(section_, key, value);
        });
    });
    return written;
}

void ChampionsFile::readList(RankedList& list) const
{
    trapped("frmHighscore", "GetHS", [&](Steps& step) {
        step(50010, [&] { list.clear(); });
        // The section read once: another copy may replace the file between two reads.
        QHash<QString, QString> stored;
        step(50020, [&] { stored = championsProfile().readSection(section_); });
        step(50030, [&] { list = rankedList(stored); });
    });
}

bool ChampionsFile::writeList(const RankedList& list) const
{
    bool written = false;
    trapped("frmHighscore", "WriteHS", [&](Steps& step) {
        QList<QPair<QString, QString>> values;
        step(50010, [&] { values = storedRanks(list); });
        step(50020, [&] { written = championsProfile().writeKeys(section_, values); });
    });
    return written;
}

bool ChampionsFile::addResult(const QString& entry, RankedList& list) const
{
    bool written = false;
    trapped("frmHighscore", "addResult", [&](Steps& step) {
        Profile::SectionChange enter;
        step(50010, [&] {
            // Entered into the list as the file holds it when it is written,
            // under its lock: a result another copy entered since stays. A
            // lock another copy holds does not keep the window waiting: the
            // result is written when it lets go.
            enter = [entry](const QHash<QString, QString>& stored) {
                RankedList now = rankedList(stored);
                now.add(entry);
                return storedRanks(now);
            };
        });
        step(50020, [&] { readList(list); });
        step(50030, [&] { list.add(entry); });
        step(50040, [&] { written = championsProfile().changeSection(section_, enter); });
    });
    return written;
}

bool qualifies(const QString& championScore, const QString& lowest)
{
    // A plain comparison by character code: equal points with the lowest do not enter.
    return leadingPoints(championScore) != 0 && QString::compare(championScore, lowest, Qt::CaseSensitive) > 0;
}

QString makeEntry(const QString& championScore, const QString& typedName)
{
    const QString name = firstCharacters(trimBlanks(typedName), ChampionsFile::MaxNameLength);
    return championScore + name;
}

std::array<ChampionRow, ChampionsFile::RankCount> rowsToShow(const RankedList& list)
{
    std::array<ChampionRow, ChampionsFile::RankCount> rows{};
    for (qsizetype p = 0; p < ChampionsFile::RankCount && p < list.size(); ++p) {
        const QString& entry = list.at(p);
        const qint32 points = leadingPoints(entry);
        if (points == 0)
            continue;
        ChampionRow& row = rows[std::size_t(ChampionsFile::RankCount - 1 - p)];
        row.name = entry.mid(5);
        row.points = QString::number(points);
    }
    return rows;
}

} // namespace tess
