// The stock dialogs as the game ships them ("UI/YesNo.xml", "UI/SelectUser.xml" and the baked
// fonts), drawn offscreen at 1024 x 768 and driven by key, character and mouse events: the
// yes/no question's answers and fades, and players created, picked and deleted
// through the selection dialog with their files appearing and disappearing in the shared
// folder. Screenshots of both are left in the test's working folder.

#include "engine/core/cConstants.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cStrings.h"
#include "engine/devices/cRender.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cSelectProfile.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextButton.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cYesNo.h"
#include "platform/image/PngCodec.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/OffscreenRender.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;

// The places of the shipped layouts: the question's buttons, the selection's buttons and its
// first two rows.
constexpr float YesX = 402.0f;
constexpr float NoX = 622.0f;
constexpr float AnswerY = 478.0f;
constexpr float ButtonsX = 702.0f;
constexpr float OkY = 324.0f;
constexpr float DeleteY = 396.0f;
// Below the buttons, where nothing answers a click.
constexpr float BesideY = 540.0f;
constexpr float RowX = 426.0f;
constexpr float FirstRowY = 306.0f;
constexpr float SecondRowY = 342.0f;
constexpr uint8_t Escape = 1;
constexpr uint8_t Return = 28;
constexpr uint8_t Space = 57;

int red(uint32_t rgb)
{
    return static_cast<int>((rgb >> 16) & 255u);
}

// The kit's paper: light and warm.
bool paper(uint32_t rgb)
{
    const int r = red(rgb);
    const int g = static_cast<int>((rgb >> 8) & 255u);
    const int b = static_cast<int>(rgb & 255u);
    return r > 200 && g > 180 && b > 130 && r >= g && g >= b;
}

class DialogsOnScreen : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    DialogsOnScreen() : EngineFixture("Dialogs On Screen") {}

    void SetUp() override
    {
        const std::string source = std::string(QUILL_SOURCE_DIR) + "/data/";
        for (const char* file : {"UI/YesNo.xml", "UI/SelectUser.xml", "sys/strings.xml", "fonts/sans18.fnt",
                                 "fonts/sans18.png", "fonts/sans24.fnt", "fonts/sans24.png",
                                 "fonts/sans32.fnt", "fonts/sans32.png", "art.pack", "sound.pack"})
            data(file, ::Test::readFile(source + file));
        data("sys/constants.xml",
             "<constants><game app_directory=\"Dialogs On Screen\" profiles=\"Profiles\"/></constants>");
        auto config = std::make_unique<cMemoryRenderConfigSource>();
        config->settings[{L"graphics", L"width"}] = L"1024";
        config->settings[{L"graphics", L"height"}] = L"768";
        std::string error;
        render = ::Test::offscreenRender(error, std::move(config));
        ASSERT_TRUE(render) << error;
        start();
    }
    void TearDown() override
    {
        delete cSelectProfile::instance();
        delete cProfileManager::instance();
        cControl::deletePending();
        frames.reset();
        constants.reset();
        strings.reset();
        stopEngine();
        render.reset();
        cProps::clearAll();
        cButtonPrototype::buttonUnderPointer = nullptr;
    }

    // The file system, the resource manager, the constants and the strings, over the files
    // written so far.
    void start()
    {
        frames.reset();
        strings.reset();
        constants.reset();
        startResources();
        constants = std::make_unique<cConstants>("sys/constants.xml");
        strings = std::make_unique<cStrings>();
        frames = std::make_unique<UiTest::cFrames>();
    }

    uint32_t pixel(int x, int y)
    {
        frames->logic->render();
        std::vector<uint32_t> pixels;
        EXPECT_EQ(render->getDevice()->readBackBuffer({x, y, x + 1, y + 1}, pixels), 0);
        return pixels.empty() ? 0u : pixels[0] & 0xFFFFFFu;
    }
    // Writes what is drawn now to a PNG in the working folder, for looking at.
    void screenshot(const std::string& name)
    {
        frames->logic->render();
        std::vector<uint32_t> pixels;
        ASSERT_EQ(render->getDevice()->readBackBuffer({0, 0, 1024, 768}, pixels), 0);
        Platform::Image image;
        image.width = 1024;
        image.height = 768;
        image.pixels.resize(pixels.size() * 4);
        for (size_t i = 0; i < pixels.size(); ++i)
            for (int byte = 0; byte < 4; ++byte)
                image.pixels[i * 4 + static_cast<size_t>(byte)] =
                    static_cast<uint8_t>(pixels[i] >> (8 * byte));
        const std::vector<uint8_t> png = Platform::encodePng(image);
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }

    void key(uint8_t code)
    {
        frames->script->keyDown(code);
        frames->script->keyUp(code);
        frames->frame();
    }
    void type(const std::wstring& characters)
    {
        for (const wchar_t c : characters)
            frames->input->queueChar(static_cast<uint16_t>(c));
        frames->frame();
    }
    void clickAt(float x, float y)
    {
        frames->moveTo(x, y);
        frames->click();
    }
    // Runs frames until the condition holds (at most two seconds of them).
    template <class F> bool frameUntil(F condition)
    {
        for (int i = 0; i < 100 && !condition(); ++i)
            frames->frame();
        return condition();
    }

    bool sharedHas(const std::string& file) const
    {
        return std::filesystem::exists(shared("profiles/" + file));
    }
    std::string profileList() const { return ::Test::readFile(shared("profiles/profiles.xml")); }
    static bool lists(const std::string& file, const std::wstring& name)
    {
        std::string utf16;
        for (const wchar_t c : L"Name=\"" + name + L"\"")
            utf16 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return file.find(utf16) != std::string::npos;
    }

    // A new selection dialog, shown and enabled as the game's dialog state does.
    cSelectProfile& openSelection()
    {
        auto* dialog = new cSelectProfile(false, true);
        dialog->setAcceptHook([this] { hooks.push_back("accept"); });
        dialog->setCloseHook([this] { hooks.push_back("close"); });
        dialog->show();
        dialog->enable();
        frames->frame();
        return *dialog;
    }
    static std::wstring okCaption(const cSelectProfile& dialog)
    {
        return dialog.getOkButton()->getCaption()->getText();
    }
    static std::vector<std::wstring> rows(const cSelectProfile& dialog)
    {
        std::vector<std::wstring> out;
        for (uint32_t i = 0; i < dialog.getUserList()->getItemCount(); ++i)
            out.push_back(dialog.getUserList()->getItemText(i));
        return out;
    }

    std::unique_ptr<cRender> render;
    std::unique_ptr<cConstants> constants;
    std::unique_ptr<cStrings> strings;
    std::unique_ptr<UiTest::cFrames> frames;
    std::vector<std::string> answers;
    std::vector<std::string> hooks;
};

TEST_F(DialogsOnScreen, AYesNoQuestionFadesInAndIsAnsweredByKeysAndClicks)
{
    const auto ask = [this]
    {
        auto* question = new cYesNo(nullptr);
        question->setText(L"Leave the level and lose what you have built?");
        question->setYesHandler([this](cYesNo*) { answers.push_back("yes"); });
        question->setNoHandler(
            [this](cYesNo* asked)
            {
                answers.push_back("no");
                deleteLater(asked);
            });
        question->showAnimated();
        question->enable();
        return question;
    };

    EXPECT_EQ(pixel(300, 290), 0u) << "nothing drawn yet";
    cYesNo* question = ask();
    frames->frame();
    const int early = red(pixel(300, 290));
    for (int i = 0; i < 5; ++i)
        frames->frame();
    const int half = red(pixel(300, 290));
    for (int i = 0; i < 10; ++i)
        frames->frame();
    const uint32_t shown = pixel(300, 290);
    EXPECT_LT(early, 40) << "the fade-in has only begun";
    EXPECT_TRUE(paper(shown)) << std::hex << shown << " fully shown: the question's paper";
    // The panel at alpha 0.48, over black.
    EXPECT_NEAR(half, red(shown) * 0.48, 8) << "half way through a quarter of a second";
    EXPECT_LT(red(pixel(512 - 246 + 3, 384)), red(shown) - 40) << "the wooden frame around the paper";
    ASSERT_GT(question->getText()->getLines().size(), 1u) << "the question is wrapped";
    screenshot("yes_no.png");

    // Return answers Yes; the dialog fades out, then goes.
    key(Return);
    EXPECT_EQ(answers, std::vector<std::string>{"yes"});
    frames->frame();
    const int fading = red(pixel(300, 290));
    EXPECT_LT(fading, red(shown) - 20);
    EXPECT_GT(fading, 60);
    EXPECT_TRUE(frameUntil([question] { return !cControl::isAlive(question); }));
    EXPECT_EQ(pixel(300, 290), 0u);

    // Space answers Yes as well, Escape No (the dialog hides at once).
    question = ask();
    frameUntil([question] { return question->getState() == cAnimDialog::Idle; });
    key(Space);
    EXPECT_EQ(answers, (std::vector<std::string>{"yes", "yes"}));
    EXPECT_TRUE(frameUntil([question] { return !cControl::isAlive(question); }));
    question = ask();
    frameUntil([question] { return question->getState() == cAnimDialog::Idle; });
    key(Escape);
    EXPECT_EQ(answers, (std::vector<std::string>{"yes", "yes", "no"}));
    EXPECT_FALSE(cControl::isAlive(question));
    EXPECT_EQ(pixel(300, 290), 0u);

    // The mouse: the No button, then the Yes button, whose caption lights up under the pointer.
    question = ask();
    frameUntil([question] { return question->getState() == cAnimDialog::Idle; });
    clickAt(NoX, AnswerY);
    EXPECT_EQ(answers.back(), "no");
    question = ask();
    frameUntil([question] { return question->getState() == cAnimDialog::Idle; });
    frames->moveTo(YesX, AnswerY);
    EXPECT_EQ(question->getYesButton()->getCaption()->getColor().toARGB(), 0xFF1E140Cu);
    frames->click();
    EXPECT_EQ(answers, (std::vector<std::string>{"yes", "yes", "no", "no", "yes"}));
    EXPECT_TRUE(frameUntil([question] { return !cControl::isAlive(question); }));
}

TEST_F(DialogsOnScreen, PlayersAreCreatedPickedAndDeletedWithTheirFiles)
{
    // No player yet: Escape does nothing, a space, an apostrophe and an accented letter cannot
    // be typed, and a new name offers to create the player.
    cSelectProfile* dialog = &openSelection();
    EXPECT_TRUE(rows(*dialog).empty());
    EXPECT_FALSE(dialog->getOkButton()->isEnabled());
    key(Escape);
    EXPECT_TRUE(dialog->isEnabled());
    type(L"An n'\u00E9");
    EXPECT_EQ(dialog->getNameEdit()->getText(), L"Ann");
    EXPECT_EQ(okCaption(*dialog), L"Create");
    EXPECT_TRUE(dialog->getOkButton()->isEnabled());
    EXPECT_TRUE(paper(pixel(260, 650))) << "the selection's panel";
    key(Return);
    EXPECT_EQ(hooks, std::vector<std::string>{"accept"});
    ASSERT_NE(cProfileManager::instance(), nullptr);
    EXPECT_EQ(cProfileManager::instance()->currentUserName(), L"Ann");
    EXPECT_TRUE(lists(profileList(), L"Ann"));
    EXPECT_TRUE(frameUntil([] { return cSelectProfile::instance() == nullptr; })) << "faded out and gone";

    // A second player, typed in Russian and confirmed with the mouse: the first player's
    // values are saved as the store changes hands.
    dialog = &openSelection();
    EXPECT_EQ(dialog->getNameEdit()->getText(), L"Ann") << "the current player";
    EXPECT_EQ(okCaption(*dialog), L"OK");
    EXPECT_TRUE(dialog->getDeleteButton()->isShown());
    type(L"\b\b\b\u0411\u043E\u0440\u0438\u0441");
    EXPECT_EQ(okCaption(*dialog), L"Create");
    EXPECT_FALSE(dialog->getDeleteButton()->isShown());
    clickAt(ButtonsX, OkY);
    EXPECT_EQ(cProfileManager::instance()->currentUserName(), L"\u0411\u043E\u0440\u0438\u0441");
    EXPECT_TRUE(sharedHas("00000001.xml"));
    EXPECT_TRUE(lists(profileList(), L"Ann"));
    EXPECT_TRUE(lists(profileList(), L"\u0411\u043E\u0440\u0438\u0441"));
    ASSERT_TRUE(frameUntil([] { return cSelectProfile::instance() == nullptr; }));

    // Picking a row makes that player current at once; a name typed after it is a new player
    // for OK, and nothing else can be done with it: there is no way to rename a player.
    dialog = &openSelection();
    EXPECT_EQ(rows(*dialog), (std::vector<std::wstring>{L"Ann", L"\u0411\u043E\u0440\u0438\u0441"}));
    clickAt(RowX, FirstRowY);
    EXPECT_EQ(cProfileManager::instance()->currentUserName(), L"Ann");
    EXPECT_EQ(dialog->getSelectedIndex(), 0);
    // The name field shows who is picked: the picked row looks as the others do.
    frames->moveTo(100.0f, 100.0f);
    const uint32_t chosen = pixel(static_cast<int>(RowX) - 120, static_cast<int>(FirstRowY));
    const uint32_t other = pixel(static_cast<int>(RowX) - 120, static_cast<int>(SecondRowY));
    EXPECT_EQ(chosen, other) << std::hex << chosen << " " << other << ": nothing marks the first row";
    EXPECT_EQ(dialog->getNameEdit()->getText(), L"Ann");
    type(L"a");
    EXPECT_EQ(okCaption(*dialog), L"Create");
    clickAt(ButtonsX, BesideY);
    EXPECT_EQ(rows(*dialog), (std::vector<std::wstring>{L"Ann", L"\u0411\u043E\u0440\u0438\u0441"}));
    EXPECT_EQ(cProfileManager::instance()->currentUserName(), L"Ann");
    type(L"\b");
    EXPECT_EQ(okCaption(*dialog), L"OK");
    EXPECT_TRUE(dialog->getDeleteButton()->isShown());
    screenshot("select_user.png");

    // Delete asks first: Escape keeps the player, Return deletes it and its files.
    clickAt(ButtonsX, DeleteY);
    EXPECT_FALSE(dialog->isShown()) << "hidden behind the question";
    EXPECT_TRUE(paper(pixel(300, 290))) << "the question";
    key(Escape);
    EXPECT_TRUE(dialog->isShown());
    EXPECT_TRUE(sharedHas("00000001.xml"));
    clickAt(ButtonsX, DeleteY);
    key(Return);
    EXPECT_TRUE(dialog->isShown());
    EXPECT_FALSE(sharedHas("00000001.xml"));
    EXPECT_FALSE(lists(profileList(), L"Ann"));
    EXPECT_EQ(rows(*dialog), std::vector<std::wstring>{L"\u0411\u043E\u0440\u0438\u0441"});
    EXPECT_EQ(cProfileManager::instance()->currentUserName(), L"\u0411\u043E\u0440\u0438\u0441");

    // Deleting the last player, answered with the mouse, leaves an empty list with Cancel
    // shown but disabled, and no player store.
    EXPECT_EQ(dialog->getNameEdit()->getText(), L"\u0411\u043E\u0440\u0438\u0441");
    clickAt(ButtonsX, DeleteY);
    clickAt(YesX, AnswerY);
    EXPECT_TRUE(rows(*dialog).empty());
    EXPECT_FALSE(sharedHas("profiles.xml"));
    EXPECT_FALSE(sharedHas("00000002.xml"));
    EXPECT_EQ(cProfileManager::instance(), nullptr);
    EXPECT_FALSE(dialog->getDeleteButton()->isShown());
    EXPECT_TRUE(dialog->getCancelButton()->isShown());
    EXPECT_FALSE(dialog->getCancelButton()->isEnabled());
    key(Escape);
    clickAt(ButtonsX, DeleteY);
    EXPECT_TRUE(dialog->isEnabled()) << "Exit and Cancel do nothing without a player";
    EXPECT_EQ(hooks, (std::vector<std::string>{"accept", "accept"}));
}

TEST_F(DialogsOnScreen, TheSelectionShowsThePlayersADamagedListStillHolds)
{
    // Cut short, the list has lost its current player: the first player it still names stands
    // in; the players are shown, and picking one brings the whole list back.
    sharedFile("profiles/profiles.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Profiles NextID=\"3\">\n"
               "<Profile Name=\"Ann\" ID=\"1\" />\n<Profile Name=\"Boris\" ID=\"2\" />\n"
               "<Profi");
    start();
    EXPECT_EQ(cProfileManager::readCurrentUser(), L"Ann");
    cSelectProfile& dialog = openSelection();
    EXPECT_EQ(rows(dialog), (std::vector<std::wstring>{L"Ann", L"Boris"}));
    clickAt(RowX, SecondRowY);
    ASSERT_NE(cProfileManager::instance(), nullptr);
    EXPECT_EQ(cProfileManager::instance()->currentUserName(), L"Boris");
    delete cProfileManager::instance();
    EXPECT_TRUE(lists(profileList(), L"Ann"));
    EXPECT_TRUE(lists(profileList(), L"Boris"));
    EXPECT_TRUE(sharedHas("profiles.xml.damaged"));
}

} // namespace
