#pragma once

// The players' files as the recovery tests meet them: two players who have played, and a list,
// a copy or a values file then damaged as a crash, a disk or another program leaves it.

#include "engine/core/SaveFailures.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "tests/engine/core/config_test_tools.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>

namespace ProfileTest
{

const std::wstring Declaration = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>";
const std::string List = "profiles/profiles.xml";

class PlayerFiles : public ConfigTest::EngineFolders
{
protected:
    void SetUp() override
    {
        EngineFolders::SetUp();
        Engine::resetSaveFailures();
        start();
    }
    void TearDown() override
    {
        close();
        EngineFolders::TearDown();
    }

    // A new manager for `name`, the old one deleted first (which saves it), as the game does.
    Engine::cProfileManager& choose(const std::wstring& name)
    {
        m_manager.reset();
        m_manager = std::make_unique<Engine::cProfileManager>(name);
        return *m_manager;
    }
    void close() { m_manager.reset(); }

    // Ann (ID 1, level 2) and Bob (ID 2, level 7) played; Bob played last. The list has been
    // replaced since Bob came, so the last good list names both.
    void twoPlayers()
    {
        choose(L"Ann");
        Engine::cProps::set<int>(L"CurrentLevel", 2);
        choose(L"Bob");
        Engine::cProps::set<int>(L"CurrentLevel", 7);
        m_manager->save();
        close();
        ASSERT_TRUE(sharedExists(List + ".bak"));
    }
    // The list as a crash, a disk or another program left it; the file system sees it anew.
    void damageList(const std::string& bytes)
    {
        close();
        putShared(List, bytes);
        restart();
    }
    std::list<std::wstring> names() const
    {
        std::list<std::wstring> out;
        m_manager->getProfileNames(out);
        return out;
    }
    uint32_t idOf(const std::wstring& name) const { return m_manager->getProfiles().at(name); }
    // Both players are there with their IDs and values.
    void expectBothPlayers()
    {
        EXPECT_EQ(names(), (std::list<std::wstring>{L"Ann", L"Bob"}));
        EXPECT_EQ(idOf(L"Ann"), 1u);
        EXPECT_EQ(idOf(L"Bob"), 2u);
        EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), m_manager->currentUserName() == L"Bob" ? 7 : 2);
    }
    // The test's temporary folder, which holds the data and the shared folder.
    std::filesystem::path testFolder() const { return sharedFolder().parent_path().parent_path(); }

    std::unique_ptr<Engine::cProfileManager> m_manager;
};

} // namespace ProfileTest
