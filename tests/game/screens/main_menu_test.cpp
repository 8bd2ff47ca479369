// The main menu over the game's data, as a first start meets it: the name asked before the
// menu, the dialogs above it (exit, options, player selection, credits), the player's volumes,
// and the way to the map.
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/devices/cSound.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cScrollBox.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CMapState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/cCredits.h"
#include "game/screens/cFirstUser.h"
#include "game/screens/cMainScreen.h"
#include "game/screens/cOptions.h"
#include "game/screens/cSelectProfileWrapper.h"
#include "game/screens/cYesNoExitPanel.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace GameTest;

namespace
{

constexpr uint8_t Escape = 1;
constexpr uint8_t Return = 28;

std::wstring shownName()
{
    return CMenuState::instance().getMainScreen()->getUserNameText()->getText();
}

TEST(MainMenu, AFirstStartAsksTheNameAndTheMenuThenOpensItsDialogsOneAtATime)
{
    FrontEnd front;
    CGameEngine& engine = CGameEngine::instance();
    CMenuState& menu = CMenuState::instance();
    engine.ChangeState(&menu);
    EXPECT_EQ(front.takeTraces(), (std::vector<std::wstring>{L"CMenuState Init\n", L"CMenuState Pause\n",
                                                             L"CDialogState Init\n"}));
    ASSERT_EQ(engine.getStateCount(), 2u) << "no profiles yet: the name first";
    cMainScreen* screen = menu.getMainScreen();
    EXPECT_FALSE(screen->isShown());
    EXPECT_TRUE(menu.getBackground()->isShown());
    const boost::shared_ptr<cFirstUser> entry = CDialogState<cFirstUser>::instance().getPanel();
    EXPECT_EQ(entry->getDeep(), 12000.0f);
    front.frame();
    front.click(screen->getPlayButton());
    EXPECT_EQ(engine.topState(), &CDialogState<cFirstUser>::instance()) << "the hidden menu takes no click";

    front.type(L"Ann");
    front.key(Return);
    ASSERT_EQ(engine.getStateCount(), 1u);
    EXPECT_TRUE(screen->isShown());
    EXPECT_EQ(shownName(), L"Ann");
    ASSERT_NE(Engine::cProfileManager::instance(), nullptr);
    EXPECT_EQ(Engine::cProfileManager::instance()->currentUserName(), L"Ann");
    EXPECT_TRUE(Engine::cProfileManager::profilesFileExists());

    // Escape is the exit button; under the question the menu takes no Escape of its own.
    front.key(Escape);
    ASSERT_EQ(engine.getStateCount(), 2u);
    EXPECT_EQ(engine.topState(), &CDialogState<cYesNoExitPanel>::instance());
    EXPECT_FALSE(screen->isShown());
    front.key(Escape);
    EXPECT_EQ(engine.getStateCount(), 1u) << "Escape answers no, and opens no second question";
    front.frame();
    front.key(Escape);
    front.frame();
    front.click(CDialogState<cYesNoExitPanel>::instance().getPanel()->getYesButton());
    EXPECT_EQ(engine.getStateCount(), 1u) << "yes asks the engine to quit and closes the question";

    // Options: the music slider sets the volume at once; the player keeps it.
    Engine::cSound* sound = Engine::cSound::instance();
    front.click(screen->getOptionsButton());
    ASSERT_EQ(engine.topState(), &CDialogState<cOptions>::instance());
    boost::shared_ptr<cOptions> options = CDialogState<cOptions>::instance().getPanel();
    Engine::cScrollBox* slider = options->getMusicSlider();
    EXPECT_EQ(slider->getValue(), static_cast<float>(sound->getMusicVolume()));
    const Engine::cVector2 place = slider->getPosition() + Engine::cVector2(slider->getSize().x * 0.2f, 0.0f);
    const float value = slider->valueAt(place);
    front.clickAt(place);
    EXPECT_NEAR(value, 70.0f, 0.5f);
    EXPECT_EQ(sound->getMusicVolume(), static_cast<unsigned>(value));
    EXPECT_FLOAT_EQ(options->getMusicBar()->getCurrentValue(), value);
    options.reset();
    front.key(Escape);
    EXPECT_EQ(engine.getStateCount(), 1u) << "the options close on Escape";
    EXPECT_TRUE(Engine::cProps::get<bool>(L"SaveSettings"));
    EXPECT_EQ(Engine::cProps::get<int>(L"MusicVolume"), static_cast<int>(value));
    engine.ChangeState(&menu);
    EXPECT_EQ(engine.getStateCount(), 1u) << "a known player: no name asked";
    screen = menu.getMainScreen();
    front.frame();

    // A new player through the selection: the menu shows the name and the new player's volumes.
    front.click(screen->getChangeUserButton());
    ASSERT_EQ(engine.topState(), &CDialogState<cSelectProfileWrapper>::instance());
    boost::shared_ptr<cSelectProfileWrapper> selection =
        CDialogState<cSelectProfileWrapper>::instance().getPanel();
    EXPECT_EQ(selection->getDeep(), 12000.0f);
    selection->getNameEdit()->setText(L"Bob");
    selection.reset();
    front.key(Return);
    EXPECT_EQ(engine.getStateCount(), 1u);
    EXPECT_EQ(shownName(), L"Bob");
    EXPECT_EQ(sound->getMusicVolume(), 50u) << "Bob saved no volumes";

    // Picking a row changes the player and the volumes; leaving with Escape shows the name.
    front.click(screen->getChangeUserButton());
    selection = CDialogState<cSelectProfileWrapper>::instance().getPanel();
    Engine::cListBox* list = selection->getUserList();
    ASSERT_EQ(list->getItemCount(), 2u);
    list->selectionSignal(list->getItemText(0) == L"Ann" ? 0 : 1, list);
    selection.reset();
    front.key(Escape);
    EXPECT_EQ(engine.getStateCount(), 1u);
    EXPECT_EQ(shownName(), L"Ann");
    EXPECT_EQ(sound->getMusicVolume(), static_cast<unsigned>(value));

    front.click(screen->getCreditsButton());
    ASSERT_EQ(engine.topState(), &CDialogState<cCredits>::instance());
    front.key(Escape);
    EXPECT_EQ(engine.topState(), &CDialogState<cCredits>::instance()) << "the credits close by their button";
    front.click(&CDialogState<cCredits>::instance().getPanel()->getReturnButton());
    front.frames(30);
    EXPECT_EQ(engine.topState(), &menu);
    EXPECT_TRUE(screen->isShown());

    front.takeTraces();
    front.click(screen->getPlayButton());
    EXPECT_EQ(engine.topState(), &CMapState::instance());
    EXPECT_TRUE(engine.enteredFromMainMenu());
    EXPECT_EQ(front.takeTraces().at(0), L"CMenuState Cleanup\n");
}

// A list that names no current player. With players in it, the menu starts with the first of
// them; without any, the name is asked as on a first start. A store made for no name would keep
// nothing the player then wins, and would record a best time under no name, which the table
// takes for no record at all.
TEST(MainMenu, AListThatNamesNoCurrentPlayerStartsWithAPlayerWhoKeepsWhatIsWon)
{
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<Profiles NextID=\"3\" CurrentUser=\"\" NowPlaying=\"0\" >\n";
    {
        FrontEnd front;
        front.writeShared(
            "profiles/profiles.xml",
            head + "<Profile Name=\"Bob\" ID=\"2\" />\n<Profile Name=\"Ann\" ID=\"1\" />\n</Profiles>");
        CGameEngine& engine = CGameEngine::instance();
        engine.ChangeState(&CMenuState::instance());
        EXPECT_EQ(engine.getStateCount(), 1u) << "no name is asked for";
        EXPECT_EQ(shownName(), L"Ann");
        ASSERT_NE(Engine::cProfileManager::instance(), nullptr);
        EXPECT_EQ(Engine::cProfileManager::instance()->getCurrentProfileId(), "00000001");
    }
    {
        FrontEnd front;
        front.writeShared("profiles/profiles.xml", head + "</Profiles>");
        CGameEngine& engine = CGameEngine::instance();
        engine.ChangeState(&CMenuState::instance());
        ASSERT_EQ(engine.getStateCount(), 2u);
        EXPECT_EQ(engine.topState(), &CDialogState<cFirstUser>::instance());
        front.type(L"Eve");
        front.key(Return);
        EXPECT_EQ(engine.getStateCount(), 1u);
        EXPECT_EQ(shownName(), L"Eve");
        EXPECT_EQ(Engine::cProfileManager::instance()->getCurrentProfileId(), "00000003");
    }
}

// The volumes a player stored, set on a sound object whose mixer found no device.
void storeVolumes(FrontEnd& front, int music, int effects)
{
    (void)front;
    // Written by an earlier run; the menu makes the player's store from the list.
    auto* profiles = new Engine::cProfileManager(L"Ann");
    Engine::cProps::set<bool>(L"SaveSettings", true);
    Engine::cProps::set<int>(L"MusicVolume", music);
    Engine::cProps::set<int>(L"SoundVolume", effects);
    delete profiles;
}

// Opens the options from the main menu with the pointer, as a player does.
boost::shared_ptr<cOptions> openOptions(FrontEnd& front)
{
    CGameEngine& engine = CGameEngine::instance();
    engine.ChangeState(&CMenuState::instance());
    front.frame();
    front.click(CMenuState::instance().getMainScreen()->getOptionsButton());
    EXPECT_EQ(engine.topState(), &CDialogState<cOptions>::instance());
    return CDialogState<cOptions>::instance().getPanel();
}

TEST(MainMenu, WithoutASoundDeviceTheGreyedSlidersShowTheStoredVolumesAndKeepThem)
{
    FrontEnd front;
    auto silent = std::make_unique<Platform::RecordingMixer>();
    silent->failInit(true);
    front.fixture.sound.reset();
    front.fixture.sound = std::make_unique<Engine::cSound>(std::move(silent));
    ASSERT_TRUE(front.fixture.sound->isDisabled());
    storeVolumes(front, 30, 70);

    boost::shared_ptr<cOptions> options = openOptions(front);
    ASSERT_TRUE(options);
    EXPECT_FALSE(options->getMusicSlider()->isEnabled());
    EXPECT_FALSE(options->getSoundSlider()->isEnabled());
    EXPECT_FLOAT_EQ(options->getMusicSlider()->getValue(), 30.0f);
    EXPECT_FLOAT_EQ(options->getSoundSlider()->getValue(), 70.0f);
    EXPECT_FLOAT_EQ(options->getMusicBar()->getCurrentValue(), 30.0f);
    EXPECT_FLOAT_EQ(options->getSoundBar()->getCurrentValue(), 70.0f);
    // A click on the greyed slider moves nothing.
    Engine::cScrollBox* slider = options->getMusicSlider();
    front.clickAt(slider->getPosition() + Engine::cVector2(slider->getSize().x * 0.4f, 0.0f));
    options.reset();
    front.key(Escape);
    front.frame();
    EXPECT_EQ(Engine::cProps::get<int>(L"MusicVolume"), 30);
    EXPECT_EQ(Engine::cProps::get<int>(L"SoundVolume"), 70);
}

TEST(MainMenu, WithSoundOffTheOptionsShowAndKeepThePlayersVolumes)
{
    FrontEnd front;
    // No sound object at all, as a start with sound off makes it.
    front.fixture.sound.reset();
    storeVolumes(front, 20, 90);
    boost::shared_ptr<cOptions> options = openOptions(front);
    ASSERT_TRUE(options);
    EXPECT_FLOAT_EQ(options->getMusicSlider()->getValue(), 20.0f);
    EXPECT_FLOAT_EQ(options->getSoundSlider()->getValue(), 90.0f);
    options.reset();
    front.key(Escape);
    front.frame();
    EXPECT_EQ(Engine::cProps::get<int>(L"MusicVolume"), 20) << "closing the options loses nothing";
    EXPECT_EQ(Engine::cProps::get<int>(L"SoundVolume"), 90);
}

} // namespace
