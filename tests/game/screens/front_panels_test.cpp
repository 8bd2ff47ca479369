// The front end's panels and the logos over the game's own layouts: what a fault in their
// timing, their keys or their buttons would change.
#include "engine/core/ErrorText.h"
#include "engine/core/cProfileManager.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CIntroState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/cCredits.h"
#include "game/screens/cFirstUser.h"
#include "game/screens/cLogo.h"
#include "game/screens/cSystemMessage.h"
#include "game/screens/cYesNoExitPanel.h"
#include "game/screens/cYesNoPanel.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace GameTest;

namespace
{

constexpr uint8_t Escape = 1;
constexpr uint8_t Return = 28;
constexpr uint8_t Space = 57;

float distance(const Engine::cVector2& a, const Engine::cVector2& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

TEST(FrontPanels, TheLogosFadeInStayFourSecondsEachAndAKeyPressAndReleaseSkipsOne)
{
    FrontEnd front;
    CGameEngine& engine = CGameEngine::instance();
    engine.ChangeState(&CIntroState::instance());
    cLogo* logo = CIntroState::instance().getLogo();
    ASSERT_NE(logo, nullptr);
    front.frame(0.0f);
    EXPECT_EQ(logo->getStep(), 1);
    EXPECT_EQ(logo->getPicture().getTextureName(), "logo/logo.jpg");
    EXPECT_EQ(logo->getPicture().getSize(), Engine::cVector2(1024.0f, 768.0f));
    EXPECT_EQ(logo->getPicture().getPosition(), Engine::cVector2(512.0f, 384.0f));
    EXPECT_EQ(logo->getPicture().getDeep(), 10000.0f);
    front.frames(10, 0.1f);
    EXPECT_NEAR(logo->getPicture().getAlpha(), 0.5f, 1e-4f) << "half faded in after a second";
    front.frames(29, 0.1f);
    EXPECT_EQ(logo->getStep(), 1) << "3.9 s: still the first logo";
    front.frames(3, 0.1f);
    EXPECT_EQ(logo->getStep(), 2) << "the second after four seconds";
    EXPECT_EQ(logo->getPicture().getTextureName(), "logo/logo2.jpg");

    // A press and its release are two input signals: one step.
    front.takeTraces();
    front.script->keyDown(Space);
    front.frame();
    EXPECT_EQ(logo->getStep(), 2);
    front.script->keyUp(Space);
    front.frame();
    EXPECT_EQ(logo->getStep(), 3);
    EXPECT_EQ(front.takeTraces(), (std::vector<std::wstring>{L"Logo skipped\n", L"Logo shown\n"}));
    EXPECT_EQ(logo->getPicture().getTextureName(), "logo/logo3.jpg");
    EXPECT_LT(logo->getPicture().getAlpha(), 0.1f) << "each logo fades in from nothing";

    front.takeTraces();
    front.key(Return);
    EXPECT_FALSE(Engine::cControl::isAlive(logo)) << "the intro is over, its logo gone";
    const std::vector<std::wstring> traces = front.takeTraces();
    ASSERT_GE(traces.size(), 3u);
    EXPECT_EQ(traces[0], L"Logo skipped\n");
    EXPECT_EQ(traces[1], L"CIntroState Cleanup\n");
    EXPECT_EQ(traces[2], L"CMenuState Init\n") << "the last logo leads to the main menu";
}

TEST(FrontPanels, AMissingFirstLogoIsPassedOverButTheLastOneIsLoadedWithoutALook)
{
    FrontEnd front;
    front.writeShared("logo/logo.jpg", "");
    front.writeShared("logo/logo3.jpg", "");
    CGameEngine::instance().ChangeState(&CIntroState::instance());
    cLogo* logo = CIntroState::instance().getLogo();
    front.frame(0.0f);
    EXPECT_EQ(logo->getStep(), 2);
    EXPECT_EQ(logo->getPicture().getTextureName(), "logo/logo2.jpg") << "the first frame puts up logo 2";
    // After four seconds the third logo is put up whatever its file holds: an empty one is the
    // program's failure, which names the file.
    std::string failure;
    try
    {
        front.frames(45, 0.1f);
    }
    catch (...)
    {
        failure = Engine::currentExceptionText();
    }
    EXPECT_NE(failure.find("logo/logo3.jpg"), std::string::npos) << failure;
    EXPECT_EQ(logo->getStep(), 3);
    CGameEngine::instance().ChangeState(&CMenuState::instance());
}

TEST(FrontPanels, TheYesNoQuestionAnswersOnceByButtonOrKey)
{
    FrontEnd front;
    int yes = 0;
    int no = 0;
    const auto ask = [&]
    {
        auto* panel = new cYesNoPanel(nullptr);
        panel->show();
        panel->enable();
        panel->setYesAction([&] { ++yes; });
        panel->setNoAction([&] { ++no; });
        panel->setText(L"Begin this level?");
        return panel;
    };

    cYesNoPanel* panel = ask();
    EXPECT_EQ(panel->getText()->getText(), L"Begin this level?");
    front.key(Return);
    EXPECT_EQ(yes, 1);
    EXPECT_FALSE(panel->isShown()) << "the answer closes the panel";
    Engine::cControl::deleteLater(panel);

    // Return and Space in one frame: one answer.
    panel = ask();
    front.script->keyDown(Return);
    front.script->keyUp(Return);
    front.script->keyDown(Space);
    front.script->keyUp(Space);
    front.frame();
    EXPECT_EQ(yes, 2) << "the second key finds the question closed";
    Engine::cControl::deleteLater(panel);

    panel = ask();
    front.key(Escape);
    EXPECT_EQ(no, 1);
    EXPECT_EQ(yes, 2);
    Engine::cControl::deleteLater(panel);

    panel = ask();
    front.frame();
    front.click(panel->getNoButton());
    EXPECT_EQ(no, 2);
    EXPECT_FALSE(panel->isShown());
    front.key(Return);
    EXPECT_EQ(yes, 2) << "a closed question takes no key";
    Engine::cControl::deleteLater(panel);
    front.frame();

    front.writeShared("test/question.xml", "<Q><Text/></Q>");
    const std::string failure = failureOf([] { delete new cYesNoPanel(nullptr, L"test/question.xml"); });
    EXPECT_NE(failure.find("Layout \"test/question.xml\""), std::string::npos) << failure;
    EXPECT_NE(failure.find("\"StyleCommon\""), std::string::npos) << failure;
}

TEST(FrontPanels, TheExitQuestionsYesButtonBacksAwayFromThePointerAndTheFaceFollowsIt)
{
    FrontEnd front;
    int quits = 0;
    auto* panel = new cYesNoExitPanel(nullptr);
    panel->show();
    panel->enable();
    panel->setYesAction([&] { ++quits; });
    Engine::cTextStyleButton* yes = panel->getYesButton();
    const Engine::cVector2 home = panel->getHome();
    EXPECT_EQ(home, yes->getPosition());
    EXPECT_TRUE(panel->getLogo(cYesNoExitPanel::LogoNormal).isVisible());

    // The pointer 50 units below the button (outside it): the button goes up, a little each frame.
    front.moveTo(home + Engine::cVector2(0.0f, 50.0f));
    float farthest = 0.0f;
    Engine::cVector2 last = yes->getPosition();
    for (int i = 0; i < 100; ++i)
    {
        front.frame(0.02f);
        EXPECT_LE(distance(yes->getPosition(), last), 0.02f * 120.0f + 1e-3f);
        last = yes->getPosition();
        farthest = std::max(farthest, distance(last, home));
    }
    EXPECT_LT(last.y, home.y) << "away from the pointer";
    EXPECT_NEAR(last.x, home.x, 1e-3f);
    EXPECT_NEAR(home.y - last.y, 30.0f * (1.0f - 50.0f / 80.0f) / (1.0f + 30.0f / 80.0f), 0.05f)
        << "where the push and the distance balance";
    EXPECT_LE(farthest, 30.0f);
    EXPECT_TRUE(panel->getLogo(cYesNoExitPanel::LogoNormal).isVisible()) << "not on the button yet";

    // A pointer right next to it pushes it no farther than 30 units.
    EXPECT_LE(
        distance(cYesNoExitPanel::fleeStep(home, home + Engine::cVector2(0.0f, 1.0f), home, 10.0f), home),
        30.0f + 1e-4f);
    // Far away, it glides home.
    front.moveTo(Engine::cVector2(20.0f, 20.0f));
    front.frames(50, 0.02f);
    EXPECT_LT(distance(yes->getPosition(), home), 1e-3f);

    // On the button it stands still and the face turns gloomy; on No the face is glad.
    front.moveTo(home);
    front.frame();
    EXPECT_TRUE(panel->getLogo(cYesNoExitPanel::LogoGloomy).isVisible());
    EXPECT_FALSE(panel->getLogo(cYesNoExitPanel::LogoNormal).isVisible());
    const Engine::cVector2 hovered = yes->getPosition();
    front.frames(10);
    EXPECT_EQ(yes->getPosition(), hovered);
    front.moveTo(panel->getNoButton()->getPosition());
    front.frame();
    EXPECT_TRUE(panel->getLogo(cYesNoExitPanel::LogoGlad).isVisible());
    EXPECT_FALSE(panel->getLogo(cYesNoExitPanel::LogoGloomy).isVisible());

    front.key(Space);
    EXPECT_TRUE(panel->isShown()) << "Space is no answer here";
    front.key(Return);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(panel->isShown());
    front.key(Return);
    EXPECT_EQ(quits, 1);
    Engine::cControl::deleteLater(panel);
}

TEST(FrontPanels, TheNameEntryTakesWhatItsFontDrawsAndOkFollowsTheName)
{
    FrontEnd front;
    auto* panel = new cFirstUser(nullptr);
    EXPECT_FALSE(panel->isShown()) << "built hidden";
    std::wstring given;
    int calls = 0;
    panel->setNameCallback(
        [&](const std::wstring& name)
        {
            given = name;
            ++calls;
        });
    panel->show();
    panel->enable();
    Engine::cTextBox& edit = panel->getNameEdit();
    EXPECT_FALSE(panel->getOkButton().isEnabled()) << "no name yet";
    front.key(Return);
    EXPECT_TRUE(panel->isShown()) << "Return without a name does nothing";
    front.type(L"Z");
    EXPECT_TRUE(panel->getOkButton().isEnabled());
    front.type(L"\b");
    EXPECT_EQ(edit.getText(), L"");
    EXPECT_FALSE(panel->getOkButton().isEnabled());
    front.type(L" \u00A0 ");
    EXPECT_EQ(edit.getText(), L" \u00A0 ");
    EXPECT_FALSE(panel->getOkButton().isEnabled()) << "spaces alone are no name";
    front.key(Return);
    EXPECT_TRUE(panel->isShown());
    front.type(L"\b\b\b");
    EXPECT_FALSE(panel->filterChar(L'\u4E2D')) << "no glyph in the font";
    EXPECT_TRUE(panel->filterChar(8));
    front.type(L" Zo\u00EB <&\"> \u4E2D\u0416 ");
    front.key(Return);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(given, L" Zo\u00EB <&\"> \u0416 ") << "untrimmed, every drawable character kept";
    EXPECT_FALSE(panel->isShown());
    Engine::cControl::deleteLater(panel);

    // Such a name is a player whose files read back.
    {
        Engine::cProfileManager profiles(given);
    }
    Engine::cProfileManager again(Engine::cProfileManager::readCurrentUser());
    EXPECT_EQ(again.currentUserName(), given);
}

TEST(FrontPanels, TheMessageClosesOnceAndTheCreditsCloseWhenFaded)
{
    FrontEnd front;
    auto* message = new cSystemMessage(nullptr);
    EXPECT_FALSE(message->isShown());
    int closed = 0;
    message->closedSignal.connect([&](cSystemMessage*) { ++closed; });
    message->show();
    message->enable();
    message->getOkButton()->clickSignal(message->getOkButton());
    message->getOkButton()->clickSignal(message->getOkButton());
    EXPECT_EQ(closed, 1);
    front.frame();
    EXPECT_FALSE(Engine::cControl::isAlive(message)) << "deleted at the end of the frame";

    auto& credits = CDialogState<cCredits>::instance();
    credits.setPopOnPanelClose(true);
    CGameEngine& engine = CGameEngine::instance();
    engine.PushState(&credits);
    const boost::shared_ptr<cCredits> panel = credits.getPanel();
    front.frame();
    front.click(&panel->getReturnButton());
    EXPECT_FALSE(panel->isEffectivelyEnabled()) << "fading, it takes nothing";
    EXPECT_EQ(engine.getStateCount(), 1u);
    front.frames(10, 0.02f);
    EXPECT_EQ(engine.getStateCount(), 1u) << "still fading";
    front.frames(10, 0.05f);
    EXPECT_EQ(engine.getStateCount(), 0u) << "the fade ended: the dialog state popped";
}

} // namespace
