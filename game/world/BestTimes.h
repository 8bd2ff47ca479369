#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{
class cResourceManager;
}

// The best time of one level and the player who set it. A record taken from a level file's
// "MetaData" "BestTime" carries the name " ".
struct BestTimeRecord
{
    BestTimeRecord() = default;
    BestTimeRecord(std::wstring playerName, uint32_t seconds) : name(std::move(playerName)), time(seconds) {}

    bool isSet() const { return !name.empty() && time != 0; }

    std::wstring name;
    uint32_t time = 0;
};

// The best time of every level, read on first use from "besttimes.xml" (a level the file does
// not give, or gives damaged, keeps its level file's "MetaData" "BestTime") and written back as
// the UTF-16 file "besttimes.xml" when it changed. A damaged file gives what can still be read
// of it and is set aside as "besttimes.xml.damaged" (takeKeptAside, for the player to be told);
// one that cannot be opened, or something that is no regular file in its place, is left as it is
// and not written over in that run.
class BestTimes
{
public:
    static BestTimes& instance();

    BestTimes(const BestTimes&) = delete;
    BestTimes& operator=(const BestTimes&) = delete;
    virtual ~BestTimes() = default;

    // The level's record; the empty record for a level beyond the table.
    BestTimeRecord getBestTime(int level) const;
    // Replaces the level's record (the table grows to hold it) and marks the table changed.
    void setBestTime(int level, const BestTimeRecord& record);
    // Writes the table when it changed since it was last written (and it stays changed when
    // the write failed).
    void saveIfChanged();
    bool isChanged() const;
    // False when the file was not written: the failure is reported, the old file stays.
    bool save();
    // Reports the level's best time, set in memory, as not saved with the best times: the
    // progress it belongs to could not be saved, so it is not written now. Nothing is reported
    // when the file is left as it is in this run anyway (its reading told that already).
    void reportUnsaved(int level);
    void load();
    // Forgets the table and reads it again, as on first use.
    void reload();
    // True once after the file was found damaged and set aside, for the player to be told; false
    // until the next damaged file.
    bool takeKeptAside();
    // With the constant "game"/"LogReadingBestTimes" on: every level's record to the log
    // "BestTimes".
    void logAll() const;
    // The text written to "besttimes.xml" (without the byte-order mark).
    std::wstring fileText() const;

private:
    BestTimes();
    // Notes the levels whose own time is read when their record is first wanted.
    void readLevelTimes(Engine::cResourceManager& resources);
    // The level's own time, when it is still to be read.
    void readLevelTime(size_t level) const;
    void readLevelTimesLeft() const;
    // The records of "besttimes.xml" that read, over the levels' times.
    void readFile();

    // The levels' own times are read on demand, hence mutable.
    mutable std::vector<BestTimeRecord> m_records;
    // The levels whose file's own time is still to be read into their record.
    mutable std::vector<bool> m_levelTimePending;
    mutable bool m_changed = false;
    // The file could not be read (nor set aside): it is not written over.
    bool m_keepFile = false;
    // The file was damaged and set aside, and the player is still to be told.
    bool m_keptAside = false;
};
