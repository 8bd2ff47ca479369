#include "game/world/LevelArchive.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cString.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <cstring>

namespace
{

uint32_t floatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsFloat(uint32_t bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

LevelArchive::LevelArchive() = default;

LevelArchive::LevelArchive(std::vector<uint8_t> bytes, std::string name)
    : m_bytes(std::move(bytes)), m_name(std::move(name)), m_reading(true)
{
}

LevelArchive LevelArchive::readFile(const std::string& path)
{
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (!files)
        throw Engine::cStringA("LevelArchive: no file system to read \"" + path + "\" from.");
    std::vector<char> bytes;
    files->readFile(path, bytes);
    return LevelArchive(std::vector<uint8_t>(bytes.begin(), bytes.end()), path);
}

void LevelArchive::writeFile(const std::string& path) const
{
    if (!Engine::cFileSystem::instance())
        throw Engine::cStringA("LevelArchive: no file system to write \"" + path + "\" to.");
    try
    {
        Engine::writeWholeFile(path, m_bytes.data(), m_bytes.size());
    }
    catch (const std::string& reason)
    {
        std::string text = "The level could not be saved to \"" + path + "\": " + reason;
        Engine::getErrorString() = text;
        throw Engine::cStringA(text);
    }
}

void LevelArchive::fail(const std::string& what) const
{
    std::string text = "Saved level \"" + m_name + "\" is damaged: " + what + " (at byte " +
                       std::to_string(m_position) + ").";
    Engine::getErrorString() = text;
    throw SavedLevelDamage(text);
}

void LevelArchive::put(const void* data, size_t size)
{
    if (m_reading)
        throw Engine::cStringA("LevelArchive: write to an archive that is being read.");
    const auto* from = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), from, from + size);
}

void LevelArchive::take(void* data, size_t size)
{
    if (!m_reading)
        throw Engine::cStringA("LevelArchive: read from an archive that is being written.");
    if (size > remaining())
        fail("the file ends " + std::to_string(remaining()) + " bytes into a value of " +
             std::to_string(size));
    std::memcpy(data, m_bytes.data() + m_position, size);
    m_position += size;
}

void LevelArchive::write1(bool value)
{
    write1(static_cast<uint8_t>(value ? 1 : 0));
}

void LevelArchive::write1(uint8_t value)
{
    put(&value, 1);
}

void LevelArchive::write4(uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    put(bytes, 4);
}

void LevelArchive::write4(int32_t value)
{
    write4(static_cast<uint32_t>(value));
}

void LevelArchive::write4(float value)
{
    write4(floatBits(value));
}

void LevelArchive::write8(const Engine::cPoint& value)
{
    write4(static_cast<int32_t>(value.x));
    write4(static_cast<int32_t>(value.y));
}

void LevelArchive::write8(const Engine::cVector2& value)
{
    write4(value.x);
    write4(value.y);
}

void LevelArchive::writeString(const std::string& value)
{
    write4(static_cast<int32_t>(value.size()));
    put(value.data(), value.size());
}

void LevelArchive::writeString(const std::wstring& value)
{
    const std::u16string units = Engine::toUtf16(value);
    write4(static_cast<int32_t>(units.size() * 2));
    for (char16_t unit : units)
    {
        const uint8_t bytes[2] = {static_cast<uint8_t>(unit), static_cast<uint8_t>(unit >> 8)};
        put(bytes, 2);
    }
}

void LevelArchive::read1(uint8_t& value)
{
    take(&value, 1);
}

void LevelArchive::read1(bool& value)
{
    uint8_t byte = 0;
    read1(byte);
    if (byte > 1)
        fail("a flag holds " + std::to_string(byte));
    value = byte == 1;
}

void LevelArchive::read4(uint32_t& value)
{
    uint8_t bytes[4];
    take(bytes, 4);
    value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
            static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void LevelArchive::read4(int32_t& value)
{
    uint32_t bits = 0;
    read4(bits);
    value = static_cast<int32_t>(bits);
}

void LevelArchive::read4(float& value)
{
    uint32_t bits = 0;
    read4(bits);
    value = bitsFloat(bits);
}

void LevelArchive::read8(Engine::cPoint& value)
{
    int32_t x = 0;
    int32_t y = 0;
    read4(x);
    read4(y);
    value = Engine::cPoint(x, y);
}

void LevelArchive::read8(Engine::cVector2& value)
{
    float x = 0.0f;
    float y = 0.0f;
    read4(x);
    read4(y);
    value = Engine::cVector2(x, y);
}

int LevelArchive::readCount(size_t minRecordBytes)
{
    int32_t count = 0;
    read4(count);
    if (count < 0)
        fail("a count of " + std::to_string(count));
    if (minRecordBytes > 0 && static_cast<size_t>(count) > remaining() / minRecordBytes)
        fail("a count of " + std::to_string(count) + " records does not fit in the " +
             std::to_string(remaining()) + " bytes left");
    return count;
}

void LevelArchive::readString(std::string& value)
{
    const int size = readCount(1);
    std::string text(static_cast<size_t>(size), '\0');
    take(text.data(), text.size());
    value = std::move(text);
}

void LevelArchive::readString(std::wstring& value)
{
    const int size = readCount(1);
    if (size % 2 != 0)
        fail("a wide text of " + std::to_string(size) + " bytes (an odd count)");
    std::u16string units(static_cast<size_t>(size) / 2, u'\0');
    for (char16_t& unit : units)
    {
        uint8_t bytes[2];
        take(bytes, 2);
        unit = static_cast<char16_t>(bytes[0] | bytes[1] << 8);
    }
    value = Engine::fromUtf16(units);
}

int LevelArchive::findId(const UnitNumbering& numbering, const boost::shared_ptr<cUnit>& unit)
{
    const auto found = numbering.find(unit);
    return found == numbering.end() ? -1 : found->second;
}

boost::shared_ptr<cUnit> LevelArchive::unitAt(const std::vector<boost::shared_ptr<cUnit>>& units,
                                              int number) const
{
    if (number == -1)
        return {};
    if (number < 0 || static_cast<size_t>(number) >= units.size())
        fail("unit number " + std::to_string(number) + " of " + std::to_string(units.size()) + " units");
    return units[static_cast<size_t>(number)];
}

SavedLevelFile SavedLevelFile::read()
{
    SavedLevelFile save;
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (!files || !Engine::cProfileManager::instance())
        return save;
    save.path = GameConfig::instance().savePath();
    if (!files->isKnown(save.path))
    {
        // Something that is no file stands in its place (a folder): a save that cannot be
        // read, never opened, and left where it stands; no save can take its place.
        if (const std::string irregular = Engine::irregularSharedFile(save.path); !irregular.empty())
        {
            save.state = eState::damaged;
            save.noFile = true;
            save.error = "The saved level \"" + save.path + "\" cannot be read (" + irregular +
                         " is in its place, not a regular file)";
        }
        return save;
    }
    try
    {
        save.bytes = LevelArchive::readFile(save.path).bytes();
    }
    catch (...)
    {
        save.state = eState::damaged;
        save.error =
            "The saved level \"" + save.path + "\" cannot be read (" + Engine::currentExceptionText() + ")";
        return save;
    }
    save.opened = true;
    try
    {
        LevelArchive archive(save.bytes, save.path);
        int32_t level = 0;
        archive.read4(level);
        checkLevel(archive, level);
        save.level = level;
        save.state = eState::usable;
    }
    catch (...)
    {
        save.refuse(Engine::currentExceptionText());
    }
    return save;
}

void SavedLevelFile::checkLevel(const LevelArchive& archive, int32_t level)
{
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (level < 0 || !files || !files->isKnown(Engine::toUtf8(Game::levelPath(level))))
        archive.fail("level " + std::to_string(level) + " has no level file");
}

void SavedLevelFile::refuse(const std::string& why)
{
    state = eState::damaged;
    level = -1;
    error = "The saved level \"" + path + "\" cannot be continued: " + why;
}

void SavedLevelFile::keepDamaged()
{
    if (state != eState::damaged)
        return;
    if (!opened)
    {
        // Nothing was read: the file is the player's still, and stays.
        error += "; it is left as it is.";
        return;
    }
    // So that "continue" never fails twice on the same file, its bytes go aside.
    try
    {
        error += " It is kept as \"" + Engine::cFileSystem::instance()->setAside(path) + "\".";
        keptAside = true;
    }
    catch (...)
    {
        error += " It is left as it is: " + Engine::currentExceptionText();
    }
}

void SavedLevelFile::moveAsideUnusable()
{
    const SavedLevelFile old = read();
    if (old.state == eState::damaged)
        Engine::cFileSystem::instance()->setAside(old.path);
}
