#pragma once
// The champions of one board size: the ten best one-player results, kept in
// the scrambled file Tessaron.hsc, one section "m" + Size per board size,
// keys "1" (best) to "10". An entry is the points as five digits followed by
// the name ("00045Anna"); the empty text is an empty slot.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

namespace tess {

// The ranked list (lstSort): entries in ascending order of their whole text,
// without regard to case; the last is the best.
class RankedList {
public:
    void clear() { items_.clear(); }
    // Sorts the entry in; after entries equal without case.
    void add(const QString& entry);
    qsizetype size() const { return items_.size(); }
    const QString& at(qsizetype i) const { return items_.at(i); }
    const QStringList& items() const { return items_; }

private:
    QStringList items_;
};

// One row of the shown list: empty texts for an empty slot.
struct ChampionRow {
    QString name;
    QString points; // without leading zeros ("45")
};

class ChampionsFile {
public:
    static constexpr int RankCount = 10;
    static constexpr int MaxNameLength = 20;

    // The list of board size `size`, in the champions file beside the program
    // (or in the per-user data folder when the program's folder is read-only).
    explicit ChampionsFile(int size);

    static QString path();
    const QString& section() const { return section_; }

    // The plain entry under `key` of this size; empty when anything is missing.
    QString readValue(const QString& key) const;
    // Writes one value; an empty key removes the whole section. False when the file could not be written.
    bool writeValue(const QString& key, const QString& value) const;
    // The ten slots of this size, sorted.
    void readList(RankedList& list) const;
    // The ten best of the list to keys "1" to "10", in one replacement of the
    // file: either the whole new list is stored or the old file stays. False
    // when it could not be written.
    bool writeList(const RankedList& list) const;
    // Enters a result into the list as the file holds it when it is written,
    // under its lock: a result another copy of the game entered since `list`
    // was read stays. While another copy holds the lock the result waits in
    // memory (util/LockedWrites.h). `list` becomes the list with the result.
    // False when the file could not be written.
    bool addResult(const QString& entry, RankedList& list) const;

private:
    QString section_;
};

// Whether a result ("00045") enters a list whose lowest entry is `lowest`:
// more than 0 points and more than the lowest entry.
bool qualifies(const QString& championScore, const QString& lowest);

// The entry of a result: the points, then the name without blanks at its ends,
// cut to 20 characters, as the code page stores it ("?" for what it lacks).
QString makeEntry(const QString& championScore, const QString& typedName);

// The ten rows to show, the best first (showChampions).
std::array<ChampionRow, ChampionsFile::RankCount> rowsToShow(const RankedList& list);

} // namespace tess
