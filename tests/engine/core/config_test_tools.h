#pragma once

// Helpers shared by the settings, strings, typed-value and profile tests: a data folder and a
// shared folder of the test's own (XDG_DATA_HOME points into a temporary folder while a test
// runs), with the engine singletons the configuration classes use.

#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cProps.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace ConfigTest
{

// The bytes of a text in UTF-16 little-endian, with or without the byte-order mark.
inline std::string utf16(const std::wstring& text, bool bom = true)
{
    std::string bytes = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (const char16_t unit : Engine::toUtf16(text))
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The bytes of a log file of the current folder (where logs are written), or "".
inline std::string readLog(const std::string& name)
{
    return ::Test::readFile(std::filesystem::current_path() / (name + ".log"));
}

class EngineFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        constants("<game app_directory=\"Quill Test\" profiles=\"Profiles\"/>");
        Engine::cProps::clearAll();
    }
    void TearDown() override
    {
        stop();
        Engine::cProps::clearAll();
    }

    // Replaces the data folder's "sys/constants.xml" (takes effect at the next `start`).
    void constants(const std::string& groups) const
    {
        data("sys/constants.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<constants>" + groups + "</constants>\n");
    }
    void data(const std::string& path, const std::string& bytes) const { m_engine.data(path, bytes); }
    // A file of the shared folder as another program (or a crash) left it.
    void putShared(const std::string& path, const std::string& bytes) const
    {
        m_engine.sharedFile(path, bytes);
    }
    std::string shared(const std::string& path) const { return ::Test::readFile(m_engine.shared(path)); }
    std::filesystem::path sharedFolder() const { return m_engine.sharedFolder(); }
    bool sharedExists(const std::string& path) const
    {
        return std::filesystem::exists(m_engine.shared(path));
    }

    // Makes the file system, the resource manager and the constants, as the start-up does.
    void start()
    {
        m_engine.startResources();
        m_constants = std::make_unique<Engine::cConstants>("sys/constants.xml");
    }
    void stop()
    {
        m_constants.reset();
        m_engine.stopEngine();
    }
    void restart()
    {
        stop();
        start();
    }

private:
    ::Test::EngineFixture m_engine{"Quill Test"};
    std::unique_ptr<Engine::cConstants> m_constants;
};

} // namespace ConfigTest
