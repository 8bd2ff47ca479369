// What the game does with the player's files around play: a damaged player list starts the menu
// with the recovered player and asks no name, best times that are no regular file are told and
// never replaced, a win is on disk as soon as the level's goals are done and only then does its
// save go, and a disk that takes nothing is told to the player once for each file while the game
// goes on.
#include "engine/core/FileSteps.h"
#include "engine/core/FileUtils.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/ui/cCheckButton.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cView.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/BriefState.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CMapState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cFirstUser.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/screens/cMainScreen.h"
#include "game/screens/cOptions.h"
#include "game/screens/cSystemMessage.h"
#include "game/world/BestTimes.h"
#include "tests/game/screens/frontend_test_tools.h"
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

const std::string kLevel = GameFixture::roadLevelXml();

// The bytes of a file of the shared folder on disk; empty when it is not there.
std::string onDisk(const std::string& path)
{
    return ::Test::readFile(
        std::filesystem::path(Engine::toUtf8(Engine::cFileSystem::instance()->getCommonFolder())) / path);
}

void putOnDisk(const std::string& path, const std::string& bytes)
{
    std::ofstream(std::filesystem::path(Engine::toUtf8(Engine::cFileSystem::instance()->getCommonFolder())) /
                      path,
                  std::ios::binary)
        << bytes;
}

// The UTF-16 text of a player's file made readable: its low bytes.
std::string text(const std::string& utf16)
{
    std::string out;
    for (char c : utf16)
        if (c != '\0')
            out += c;
    return out;
}

std::wstring shownName()
{
    return CMenuState::instance().getMainScreen()->getUserNameText()->getText();
}

TEST(PlayerFiles, ADamagedPlayerListStartsTheMenuWithTheRecoveredPlayer)
{
    FrontEnd front;
    delete new Engine::cProfileManager(L"Ann");
    delete new Engine::cProfileManager(L"Bob");
    // The list the last start wrote, and one write before it kept as the last good one.
    delete new Engine::cProfileManager(L"Bob");
    putOnDisk("profiles/profiles.xml", std::string(2048, '\0'));

    CGameEngine& engine = CGameEngine::instance();
    engine.ChangeState(&CMenuState::instance());
    EXPECT_EQ(engine.getStateCount(), 1u) << "no name is asked for";
    EXPECT_EQ(shownName(), L"Bob");
    std::list<std::wstring> names;
    Engine::cProfileManager::instance()->getProfileNames(names);
    EXPECT_EQ(names, (std::list<std::wstring>{L"Ann", L"Bob"}));
    EXPECT_EQ(onDisk("profiles/profiles.xml.damaged"), std::string(2048, '\0'));
    front.frame();
    front.click(CMenuState::instance().getMainScreen()->getPlayButton());
    EXPECT_EQ(engine.topState(), &CMapState::instance()) << "the game goes on";
}

TEST(PlayerFiles, ANameIsAskedForWhenNoPlayerCanBeRecovered)
{
    FrontEnd front;
    front.writeShared("profiles/profiles.xml", std::string(100, 'x'));
    CGameEngine& engine = CGameEngine::instance();
    engine.ChangeState(&CMenuState::instance());
    ASSERT_EQ(engine.getStateCount(), 2u);
    EXPECT_EQ(engine.topState(), &CDialogState<cFirstUser>::instance());
    front.type(L"Eve");
    front.key(28);
    EXPECT_EQ(shownName(), L"Eve");
    EXPECT_EQ(onDisk("profiles/profiles.xml.damaged"), std::string(100, 'x'));
}

TEST(PlayerFiles, BestTimesThatAreNoRegularFileAreToldAndNeverReplaced)
{
    FrontEnd front;
    const std::filesystem::path at =
        std::filesystem::path(Engine::toUtf8(Engine::cFileSystem::instance()->getCommonFolder())) /
        "besttimes.xml";
    std::filesystem::create_symlink("/dev/zero", at);
    BestTimes& times = BestTimes::instance();
    Engine::resetSaveFailures();
    times.reload();
    EXPECT_EQ(Engine::saveFailureCount(), 1) << "told when read";
    times.setBestTime(0, BestTimeRecord(L"Ann", 30));
    EXPECT_FALSE(times.save());
    EXPECT_TRUE(std::filesystem::is_symlink(at));
    EXPECT_EQ(std::filesystem::read_symlink(at), "/dev/zero");
    EXPECT_EQ(times.getBestTime(0).name, L"Ann") << "the game goes on with the time";
    std::filesystem::remove(at);
    times.reload();
}

class WinOnDisk : public ::testing::Test
{
protected:
    WinOnDisk()
    {
        front.fixture.startProfile();
        Engine::cProps::set<int>(L"CurrentLevel", 2);
        front.fixture.profiles->save();
        front.fixture.writeLevel(980, kLevel);
        savePath = GameConfig::instance().savePath();
        // An earlier visit's save of the level (its first four bytes name it); a win removes
        // only a save of the level won.
        front.writeShared(savePath, std::string("\x02\0\0\0", 4) + "the save of an earlier visit");
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(L"levels/n980.xml");
        engine.ChangeState(&CPlayState::instance());
        for (int i = 0; i < 6 && !CPlayState::instance().isRunning(); ++i)
            front.frame();
        front.frame(1.0f);
    }
    ~WinOnDisk() override
    {
        Engine::setFileFault({});
        CGameEngine::instance().setLevelPath(L"");
    }

    // The level's goal is reached.
    bool win()
    {
        Game* game = CPlayState::instance().getGame();
        for (const auto& [type, unit] : game->getUnits())
            if (unit->goalCategory == "roads")
                unit->setLevelAndState(1, eUnitState::idle, true);
        return game->checkLevelGoals();
    }
    std::string values() const { return text(onDisk("profiles/00000001.xml")); }

    FrontEnd front;
    std::string savePath;
};

TEST_F(WinOnDisk, TheWinIsWrittenWhenTheGoalsAreDoneAndTheSaveGoesLast)
{
    std::vector<std::string> steps;
    Engine::setFileFault(
        [&](Engine::eFileStep step, const std::string& path)
        {
            if (step == Engine::eFileStep::rename || step == Engine::eFileStep::remove)
                steps.push_back(Engine::getFileName(path));
            return 0;
        });
    ASSERT_TRUE(win());
    // Before the finish and the results: a crash from here on keeps the win.
    EXPECT_NE(values().find("\"Level2\" Val=\"0\""), std::string::npos) << values();
    EXPECT_NE(values().find("\"CurrentLevel\" Val=\"3\""), std::string::npos) << values();
    EXPECT_NE(text(onDisk("besttimes.xml")).find("name=\"Tester\""), std::string::npos);
    EXPECT_FALSE(front.fixture.files->isKnown(savePath));
    const auto at = [&](const std::string& name)
    { return std::find(steps.begin(), steps.end(), name) - steps.begin(); };
    ASSERT_LT(at("00000001.xml"), static_cast<long>(steps.size()));
    EXPECT_LT(at("00000001.xml"), at("00000001.save")) << "the save goes after the win is written";
    EXPECT_EQ(steps.back(), "00000001.save");

    CGameEngine& engine = CGameEngine::instance();
    for (int i = 0; i < 200 && engine.getStateCount() == 1; ++i)
        front.frame(0.1f);
    const boost::shared_ptr<cLevelFinishPanel> results =
        CDialogState<cLevelFinishPanel>::instance().getPanel();
    ASSERT_TRUE(results);
    EXPECT_TRUE(results->isNewBest()) << "measured against the best time from before the win";
    front.frames(60, 0.1f);
    front.click(results->find<Engine::cView>(L"OkButton"));
    EXPECT_EQ(engine.topState(), &CMapState::instance());
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 3) << "the win moves the player on once";
    EXPECT_EQ(Engine::cProps::get<int>(L"Level2"), 0);
}

// A win whose progress cannot be written, setting a new best time or not.
class WinNotOnDisk : public WinOnDisk, public ::testing::WithParamInterface<bool>
{
};

TEST_P(WinNotOnDisk, TheSaveStaysWhenTheWinCannotBeWritten)
{
    const bool newBest = GetParam();
    if (!newBest)
        BestTimes::instance().setBestTime(2, BestTimeRecord(L"Ann", 1));
    const std::filesystem::path logFile = std::filesystem::current_path() / "files.log";
    const size_t logged = ::Test::readFile(logFile).size();
    Engine::resetSaveFailures();
    std::vector<std::string> toldOfBestTimes;
    Engine::setSaveFailureListener(
        [&](Engine::eSavedFile file, const std::string& text)
        {
            if (file == Engine::eSavedFile::bestTimes)
                toldOfBestTimes.push_back(text);
        });
    {
        ::Test::DiskFaults disk({{Engine::eFileStep::write, "00000001.xml", ENOSPC}});
        ASSERT_TRUE(win());
    }
    Engine::setSaveFailureListener({});
    EXPECT_EQ(values().find("Level2"), std::string::npos);
    EXPECT_EQ(onDisk(savePath), std::string("\x02\0\0\0", 4) + "the save of an earlier visit")
        << "the level can still be continued";
    // The new best the results show is not on disk without its progress: it is told with the
    // best times and logged (the log is read for the row that writes the line only: the rows
    // run side by side and log into one file).
    EXPECT_EQ(text(onDisk("besttimes.xml")).find("Tester"), std::string::npos);
    const std::string unsaved =
        "The best time of level 2 is not saved: the progress it belongs to could not be saved.";
    EXPECT_EQ(toldOfBestTimes, newBest ? std::vector<std::string>{unsaved} : std::vector<std::string>{});
    if (newBest)
    {
        EXPECT_NE(::Test::readFile(logFile).find(unsaved, logged), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(NewBestOrNot, WinNotOnDisk, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& test)
                         { return test.param ? "NewBest" : "NoNewBest"; });

// The texts of the system messages shown now, in drawing order: a message's text is drawn by
// the lines of a multi-line text that is one of its parts.
std::vector<std::wstring> shownMessages()
{
    std::vector<std::wstring> texts;
    std::vector<const cSystemMessage*> seen;
    for (Engine::cView* view : Engine::cView::getRenderOrder())
    {
        if (!view->isShown())
            continue;
        const Engine::cMultiLineText* text = nullptr;
        for (Engine::cControl* up = view; up; up = up->getParent())
        {
            if (auto* multi = dynamic_cast<Engine::cMultiLineText*>(up))
                text = multi;
            auto* message = dynamic_cast<cSystemMessage*>(up);
            if (message && text && message->isShown() &&
                std::find(seen.begin(), seen.end(), message) == seen.end())
            {
                seen.push_back(message);
                texts.push_back(text->getText());
            }
        }
    }
    return texts;
}

using Texts = std::vector<std::wstring>;

TEST(PlayerFiles, ADiskThatTakesNothingIsToldOnceForEachFileAndTheGameGoesOn)
{
    FrontEnd front;
    Engine::resetSaveFailures();
    CGameEngine& engine = CGameEngine::instance();
    engine.watchSaveFailures();
    {
        ::Test::DiskFaults disk({{Engine::eFileStep::create, "", EROFS}});
        engine.ChangeState(&CMenuState::instance());
        front.type(L"Ann");
        front.key(28);
        EXPECT_EQ(shownName(), L"Ann") << "the player plays without a list on disk";
        front.frame();
        EXPECT_EQ(shownMessages(),
                  Texts{L"The list of players cannot be saved: the game cannot write its file. "
                        L"You can play on."});
        // The message holds the input: the menu under it opens nothing until its OK (where the
        // layout puts it) closes it.
        const Engine::cView* play = CMenuState::instance().getMainScreen()->getPlayButton();
        front.click(play);
        front.key(1);
        EXPECT_EQ(engine.topState(), &CMenuState::instance());
        front.clickAt(Engine::cVector2(512.0f, 472.0f));
        EXPECT_TRUE(shownMessages().empty());
        front.click(play);
        EXPECT_EQ(engine.topState(), &CMapState::instance());
        // The map writes the player's progress: another file, told once by its own text.
        EXPECT_EQ(shownMessages(),
                  Texts{L"Your progress cannot be saved: the game cannot write your player's "
                        L"file. You can play on."});
        front.clickAt(Engine::cVector2(512.0f, 472.0f));
        front.frames(10);
        EXPECT_TRUE(shownMessages().empty());
        EXPECT_GT(Engine::saveFailureCount(), 2);
    }
    Engine::setSaveFailureListener({});
    const auto traces = front.takeTraces();
    for (const wchar_t* told : {L"CGameEngine save failure told: ProfileListText\n",
                                L"CGameEngine save failure told: ValuesText\n"})
        EXPECT_EQ(std::count(traces.begin(), traces.end(), told), 1) << Engine::toUtf8(told);
    EXPECT_FALSE(Engine::cFileSystem::instance()->isKnown("profiles/profiles.xml"));
}

// Folders stand where the player list and the settings write their temporary files: each file
// is told by its own text when it first fails, the second after the first, and the log names
// what stands in the way.
TEST(PlayerFiles, EachFileThatCannotBeWrittenIsToldByItsOwnText)
{
    FrontEnd front;
    Engine::resetSaveFailures();
    CGameEngine& engine = CGameEngine::instance();
    engine.watchSaveFailures();
    const std::filesystem::path shared = Engine::toUtf8(Engine::cFileSystem::instance()->getCommonFolder());
    std::filesystem::create_directories(shared / "profiles/profiles.xml.tmp");
    std::filesystem::create_directories(shared / "sys/settings.xml.tmp");
    const std::filesystem::path logFile = std::filesystem::current_path() / "files.log";
    const size_t logged = ::Test::readFile(logFile).size();
    engine.ChangeState(&CMenuState::instance());
    front.type(L"Ann");
    front.key(28);
    front.frame();
    EXPECT_EQ(shownMessages(), Texts{L"The list of players cannot be saved: the game cannot write its file. "
                                     L"You can play on."});
    front.clickAt(Engine::cVector2(512.0f, 472.0f));
    EXPECT_TRUE(shownMessages().empty());

    front.click(CMenuState::instance().getMainScreen()->getOptionsButton());
    ASSERT_EQ(engine.topState(), &CDialogState<cOptions>::instance());
    front.click(CDialogState<cOptions>::instance().getPanel()->getFullScreen());
    front.frame();
    EXPECT_EQ(shownMessages(),
              Texts{L"Your settings cannot be saved: the game cannot write their file. You can play on."});
    front.clickAt(Engine::cVector2(512.0f, 472.0f));
    EXPECT_TRUE(shownMessages().empty());
    Engine::setSaveFailureListener({});
    const std::string log = ::Test::readFile(logFile).substr(logged);
    for (const char* file :
         {"profiles/profiles.xml.tmp\": Is a directory", "sys/settings.xml.tmp\": Is a directory"})
        EXPECT_NE(log.find(file), std::string::npos) << log;
}

TEST(PlayerFiles, MessagesToldTogetherComeOneAfterTheOtherAndWhatIsUnderTakesNoInput)
{
    FrontEnd front;
    CGameEngine& engine = CGameEngine::instance();
    engine.ChangeState(&CMenuState::instance());
    front.type(L"Ann");
    front.key(28);
    int followed = 0;
    CGameEngine::tell(cSystemMessage::ValuesLeftLayout, L"first told\n", [&] { ++followed; });
    CGameEngine::tellSaveFailure(Engine::eSavedFile::values);
    // Told again while it stands, it is not shown twice; what follows it waits for its OK.
    CGameEngine::tell(cSystemMessage::ValuesLeftLayout, L"first told\n", [&] { ++followed; });
    CGameEngine::tellSaveFailure(Engine::eSavedFile::values);
    front.frame();
    const std::wstring first =
        L"Your progress could not be read. Its file stays as it is, and this game saves nothing to it. "
        L"Levels open from the first.";
    EXPECT_EQ(shownMessages(), Texts{first});
    const Engine::cView* play = CMenuState::instance().getMainScreen()->getPlayButton();
    front.click(play);
    front.key(1);
    EXPECT_EQ(engine.topState(), &CMenuState::instance()) << "the menu under the message takes nothing";
    EXPECT_EQ(shownMessages(), Texts{first});

    const Engine::cVector2 ok(512.0f, 472.0f);
    front.clickAt(ok);
    EXPECT_EQ(followed, 2);
    EXPECT_EQ(shownMessages(),
              Texts{L"Your progress cannot be saved: the game cannot write your player's file. "
                    L"You can play on."});
    // The next message came under the pointer that rests on the place of the OK: a click
    // without a move closes it.
    front.clickInPlace();
    EXPECT_TRUE(shownMessages().empty());
    front.click(play);
    EXPECT_EQ(engine.topState(), &CMapState::instance());
    const auto traces = front.takeTraces();
    EXPECT_EQ(std::count(traces.begin(), traces.end(), L"System message closed\n"), 2);
    EXPECT_EQ(std::count(traces.begin(), traces.end(), L"first told\n"), 1);
}

TEST(PlayerFiles, AnUnfinishedLevelThatCannotBeReadIsToldOnceAndTheLevelWaitsForTheOk)
{
    FrontEnd front;
    front.fixture.startProfile();
    front.fixture.profiles->save();
    // The unfinished game of the first level, cut short after its level number.
    const std::string save = GameConfig::instance().savePath();
    front.writeShared(save, std::string("\0\0\0\0\x05", 5));
    CGameEngine& engine = CGameEngine::instance();
    engine.setEnteredFromMainMenu(true);
    engine.ChangeState(&CMapState::instance());
    front.frame();
    ASSERT_EQ(engine.getStateCount(), 2u) << "the map asks about the unfinished level";
    front.key(28);
    ASSERT_EQ(engine.topState(), &CPlayState::instance());
    for (int i = 0; i < 60 && shownMessages().empty(); ++i)
        front.frame();
    EXPECT_EQ(shownMessages(),
              Texts{L"Your unfinished level could not be read. Its file is kept aside as a copy, "
                    L"and this level starts from its beginning."})
        << ::testing::PrintToString(front.traces);
    EXPECT_FALSE(CPlayState::instance().isRunning()) << "the level waits for the player";
    EXPECT_FALSE(front.fixture.files->isKnown(save));
    EXPECT_EQ(onDisk(save + ".damaged"), std::string("\0\0\0\0\x05", 5)) << "the bytes are kept aside";
    const auto traces = front.takeTraces();
    EXPECT_EQ(std::count(traces.begin(), traces.end(), L"CPlayState damaged save told\n"), 1);

    // The message's OK, where the layout puts it: the level starts with its opening briefing.
    front.clickAt(Engine::cVector2(512.0f, 472.0f));
    front.frame();
    EXPECT_TRUE(shownMessages().empty());
    EXPECT_TRUE(CPlayState::instance().isRunning());
    EXPECT_EQ(engine.topState(), &BriefState::instance()) << "a fresh level: its briefing first";
    const auto after = front.takeTraces();
    EXPECT_EQ(std::count(after.begin(), after.end(), L"CPlayState damaged save told\n"), 0) << "told once";
}

} // namespace
