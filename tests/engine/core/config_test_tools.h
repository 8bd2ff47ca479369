#pragma once

// Helpers shared by the settings, strings, typed-value and profile tests: a data folder and a
// shared folder of the test's own (XDG_DATA_HOME points into a temporary folder while a test
// runs), with the engine singletons the configuration classes use.

#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProps.h"
#include "engine/devices/cResourceManager.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            m_oldDataHome = old;
        ::setenv("XDG_DATA_HOME", (m_root.path() / "share").c_str(), 1);
        constants("<game app_directory=\"Quill Test\" profiles=\"Profiles\"/>");
        Engine::cProps::clearAll();
    }
    void TearDown() override
    {
        stop();
        Engine::cProps::clearAll();
        if (m_oldDataHome.empty())
            ::unsetenv("XDG_DATA_HOME");
        else
            ::setenv("XDG_DATA_HOME", m_oldDataHome.c_str(), 1);
    }

    // Replaces the data folder's "sys/constants.xml" (takes effect at the next `start`).
    void constants(const std::string& groups) const
    {
        data("sys/constants.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<constants>" + groups + "</constants>\n");
    }
    void data(const std::string& path, const std::string& bytes) const
    {
        m_root.write("Data/" + path, bytes);
    }
    // A file of the shared folder as another program (or a crash) left it.
    void putShared(const std::string& path, const std::string& bytes) const
    {
        m_root.write("share/Quill Test/" + path, bytes);
    }
    std::string shared(const std::string& path) const { return m_root.read("share/Quill Test/" + path); }
    bool sharedExists(const std::string& path) const
    {
        return std::filesystem::exists(m_root.path() / "share" / "Quill Test" / path);
    }

    // Makes the file system, the resource manager and the constants, as the start-up does.
    void start()
    {
        m_files = std::make_unique<Engine::cFileSystem>(Engine::fromUtf8((m_root.path() / "Data").string()));
        m_resources = std::make_unique<Engine::cResourceManager>();
        m_constants = std::make_unique<Engine::cConstants>("sys/constants.xml");
    }
    void stop()
    {
        m_constants.reset();
        m_resources.reset();
        m_files.reset();
    }
    void restart()
    {
        stop();
        start();
    }

private:
    ::Test::TempDir m_root;
    std::string m_oldDataHome;
    std::unique_ptr<Engine::cFileSystem> m_files;
    std::unique_ptr<Engine::cResourceManager> m_resources;
    std::unique_ptr<Engine::cConstants> m_constants;
};

} // namespace ConfigTest
