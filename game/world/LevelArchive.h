#pragma once

#include "engine/core/cPoint.h"
#include "engine/core/cString.h"
#include "engine/core/cVector2.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class cUnit;

// Unit numbers of a level being saved: every unit gets its place in the level's unit map.
using UnitNumbering = std::map<boost::shared_ptr<cUnit>, int>;

// What a LevelArchive throws for bytes it refuses: the fault of the saved file itself, never of
// the game's data that the file is read against. It is an Engine::cStringA like every other
// failure, so that whoever does not tell the two apart still catches it.
class SavedLevelDamage : public Engine::cStringA
{
public:
    using Engine::cStringA::cStringA;
};

// The byte stream of a saved unfinished level: little-endian 4-byte ints and floats, 1-byte
// bools, strings as a 4-byte byte count and their bytes (wide strings as UTF-16 code units).
// There is no header, tag or framing, so a reader reads exactly what the writer wrote.
//
// A save file comes from outside the program: every read is checked against the bytes that
// remain, and a truncated or damaged stream throws a SavedLevelDamage naming the file (also
// stored as the engine's last error text) instead of reading past the end or allocating what a
// garbage count asks for.
class LevelArchive
{
public:
    // An archive to write into; the bytes collect in memory (`bytes`).
    LevelArchive();
    // An archive that reads the given bytes; `name` is the file they came from, for errors.
    LevelArchive(std::vector<uint8_t> bytes, std::string name);

    // The saved level at a path of the file system, whole; throws the file system's error
    // when the path is unknown.
    static LevelArchive readFile(const std::string& path);
    // Writes the bytes written so far to a path of the file system (in the shared folder).
    // The file is replaced whole or not at all; a failed write throws and keeps the old file.
    void writeFile(const std::string& path) const;

    bool isReading() const { return m_reading; }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    const std::string& name() const { return m_name; }
    // Read position and the bytes left after it.
    size_t position() const { return m_position; }
    size_t remaining() const { return m_bytes.size() - m_position; }

    void write1(bool value);
    void write1(uint8_t value);
    void write4(int32_t value);
    void write4(uint32_t value);
    void write4(float value);
    void write8(const Engine::cPoint& value);
    void write8(const Engine::cVector2& value);
    // Narrow text: its bytes as they are. Wide text: UTF-16 code units.
    void writeString(const std::string& value);
    void writeString(const std::wstring& value);

    // A flag byte must be 0 or 1.
    void read1(bool& value);
    void read1(uint8_t& value);
    void read4(int32_t& value);
    void read4(uint32_t& value);
    void read4(float& value);
    void read8(Engine::cPoint& value);
    void read8(Engine::cVector2& value);
    void readString(std::string& value);
    void readString(std::wstring& value);

    // Reads the count that precedes a list whose records take at least `minRecordBytes`
    // bytes each; a negative count or one the remaining bytes cannot hold is an error.
    int readCount(size_t minRecordBytes);

    // Throws the archive's error (SavedLevelDamage) for a value that was read whole but makes
    // no sense (an unknown unit number, a state out of range, units that do not fit the level).
    [[noreturn]] void fail(const std::string& what) const;

    // The number of a unit in the numbering; -1 (a number no unit has) for a unit that is not
    // in it, such as an empty pointer or a unit removed from the level.
    static int findId(const UnitNumbering& numbering, const boost::shared_ptr<cUnit>& unit);
    // The unit of a number read back: the i-th restored unit; an empty pointer for -1.
    boost::shared_ptr<cUnit> unitAt(const std::vector<boost::shared_ptr<cUnit>>& units, int number) const;

private:
    void put(const void* data, size_t size);
    void take(void* data, size_t size);

    std::vector<uint8_t> m_bytes;
    std::string m_name;
    size_t m_position = 0;
    bool m_reading = false;
};

// The current player's saved unfinished level ("<profiles>/<ID>.save") as the map and the play
// state read it: the whole file, with the level it names checked against the game's levels. A
// save is damaged only by itself: it cannot be opened, it is too short, it names a level the
// game lacks, or the level model refuses its bytes (units that do not fit the level among
// them). The player's progress does not judge it: a save the game wrote is offered whatever
// became of the player's values since. A fault of the game's data met while a save is read
// back is the data's, and leaves the save where it is.
struct SavedLevelFile
{
    enum class eState
    {
        // No player, or no save.
        none,
        usable,
        damaged,
    };

    // Reads the current player's save. Reading changes nothing on the disk.
    static SavedLevelFile read();
    // Throws the archive's error unless `level` is one of the game's levels (its level file is
    // known).
    static void checkLevel(const LevelArchive& archive, int32_t level);

    // A usable save whose bytes were refused after all (`why`): damaged from now on.
    void refuse(const std::string& why);
    // Keeps a damaged save for the player: bytes that were read go aside as "<name>.damaged",
    // so that the next reading finds no save; a file that could not be opened is left where it
    // is. `error` then says which. Nothing for a save that is not damaged.
    void keepDamaged();
    // Before a new save takes the file's place: a save there that cannot be continued, opened
    // or not, goes aside as "<name>.damaged" (a rename needs no right to read it), so that it is
    // never written over. Throws the file system's reason when it cannot be moved.
    static void moveAsideUnusable();

    eState state = eState::none;
    std::string path;
    std::vector<uint8_t> bytes;
    // The level the save names; -1 unless it is usable.
    int level = -1;
    // Whether the file was opened and read (its bytes are what it holds).
    bool opened = false;
    // Whether keepDamaged moved the file aside (else it is where it was).
    bool keptAside = false;
    // Whether what stands at the save's path is no file (a folder): never opened nor moved, it
    // keeps a new save from taking its place.
    bool noFile = false;
    // Why a damaged save cannot be used, and once kept, where it is.
    std::string error;
};
