// Shipped opening briefings as a player reads them in the play state, frame by frame with keys
// pressed now and then: the bubbles show only letters of the speech being said, the forward
// button always shows its caption, and the first briefing speaks of nothing the field does not
// show yet; a briefing after one skipped with the mouse is drawn whole from its first frame;
// every speech stands on the screen as long as it is written to, a slow first frame included.
#include "engine/core/StringUtils.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cGlyphView.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cBriefing.h"
#include "game/screens/cBriefingBubble.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <string>

using namespace GameTest;

namespace
{

constexpr uint8_t Space = 57;

std::wstring lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

// What the bubble draws now: its lines' letters without the breaks and spaces between them.
std::wstring drawnLetters(const cBriefingBubble& bubble)
{
    std::wstring letters;
    if (!bubble.isShown())
        return letters;
    for (const Engine::cTextLine* line : bubble.getLines())
        if (line->isShown())
            for (wchar_t c : line->getText())
                if (c != L' ')
                    letters += c;
    return letters;
}

// The letters the frame would draw for the bubble: each a glyph view of a line of the bubble,
// shown and standing on its line. A letter left over from another text shows as one too many,
// or off its line.
::testing::AssertionResult glyphsMatchText(const cBriefingBubble& bubble)
{
    for (const Engine::cControl* child : bubble.getChildren())
    {
        const auto* line = dynamic_cast<const Engine::cTextLine*>(child);
        if (!line)
            continue;
        size_t letters = 0;
        for (wchar_t c : line->getText())
            letters += c != L' ' ? 1 : 0;
        size_t shown = 0;
        for (const Engine::cControl* part : line->getChildren())
            if (const auto* glyph = dynamic_cast<const Engine::cGlyphView*>(part); glyph && glyph->isShown())
            {
                ++shown;
                if (std::fabs(glyph->getPosition().y - line->getPosition().y) > 1.0f)
                    return ::testing::AssertionFailure()
                           << "a letter off its line \"" << Engine::toUtf8(line->getText()) << "\"";
            }
        if (shown > letters)
            return ::testing::AssertionFailure()
                   << shown << " letters drawn for the line \"" << Engine::toUtf8(line->getText()) << "\"";
    }
    return ::testing::AssertionSuccess();
}

std::wstring withoutSpaces(const std::wstring& text)
{
    std::wstring letters;
    for (wchar_t c : text)
        if (c != L' ' && c != L'\n')
            letters += c;
    return letters;
}

class BriefingPlayer : public ::testing::Test
{
protected:
    ~BriefingPlayer() override { CGameEngine::instance().setLevelPath(L""); }

    // The level's opening briefing up.
    cBriefing& open(const std::wstring& path)
    {
        front.fixture.startProfile();
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(path);
        engine.ChangeState(&CPlayState::instance());
        for (int i = 0; i < 200 && engine.topState() != &BriefState::instance(); ++i)
            front.frame(0.05f);
        EXPECT_EQ(engine.topState(), &BriefState::instance());
        return CPlayState::instance().getBriefing();
    }

    // Reads the briefing to its end, a key every `keyEvery` frames, calling `check` each frame.
    void read(cBriefing& briefing, int keyEvery, const std::function<void()>& check)
    {
        CGameEngine& engine = CGameEngine::instance();
        for (int frame = 1; frame < 4000 && engine.topState() == &BriefState::instance(); ++frame)
        {
            check();
            const std::string failure = failureOf(
                [&]
                {
                    if (frame % keyEvery == 0)
                        front.key(Space);
                    else
                        front.frame(0.05f);
                });
            ASSERT_EQ(failure, "");
        }
        EXPECT_NE(engine.topState(), &BriefState::instance()) << "the briefing came to its end";
        (void)briefing;
    }

    // Reads the level's opening briefing with a key now and then, checking every frame that
    // the bubbles show only letters of the speech said last and the forward button its caption.
    void readChecked(const std::wstring& path)
    {
        cBriefing& briefing = open(path);
        bool finishedSeen = false;
        // The speech said last: a bubble keeps its words once it is said whole.
        const cBriefing::Action* speech = nullptr;
        read(briefing, 23,
             [&]
             {
                 if (const cBriefing::Action* active = briefing.getActive(1))
                     speech = active;
                 for (bool upper : {false, true})
                 {
                     EXPECT_TRUE(glyphsMatchText(*briefing.getBubbleText(upper)));
                     const std::wstring drawn = drawnLetters(*briefing.getBubbleText(upper));
                     if (drawn.empty())
                         continue;
                     ASSERT_TRUE(speech) << "letters drawn before any speech: " << Engine::toUtf8(drawn);
                     const std::wstring said = withoutSpaces(speech->text);
                     EXPECT_EQ(said.compare(0, drawn.size(), drawn), 0)
                         << Engine::toUtf8(drawn) << " is not the start of " << Engine::toUtf8(said);
                 }
                 // The forward button shows its caption, dark on its light face, at every pulse.
                 Engine::cButtonCaption* caption = briefing.getForwardButton()->getCaption();
                 ASSERT_FALSE(caption->getText().empty());
                 const Engine::cColor colour = caption->getColor();
                 EXPECT_LT(colour.r + colour.g + colour.b, 1.2f) << "a caption lighter than its button";
                 EXPECT_GT(colour.a, 0.5f);
                 finishedSeen = finishedSeen || briefing.isFinished();
             });
        EXPECT_TRUE(finishedSeen);
    }

    FrontEnd front;
};

TEST_F(BriefingPlayer, TheBubblesOfHighWaterShowOnlyLettersOfTheSpeechSaidAndTheButtonItsCaption)
{
    readChecked(L"levels/n5.xml");
}

TEST_F(BriefingPlayer, TheBubblesOfSupplyDropShowOnlyLettersOfTheSpeechSaidAndTheButtonItsCaption)
{
    readChecked(L"levels/n6.xml");
}

TEST_F(BriefingPlayer, EverySpeechStandsItsWrittenTimeAsThePlayerSeesItEvenAfterASlowFirstFrame)
{
    // The last level's opening briefing: its first speech is written to stand the 7 s its 104
    // letters need, and the first frame drawn with the briefing is slow. Each speech is on the
    // screen from the frame that first draws it to the one that draws the next.
    cBriefing& briefing = open(L"levels/n44.xml");
    const cBriefing::Action* shown = nullptr;
    float seen = 0.0f;
    int measured = 0;
    for (int frame = 0; frame < 6000 && !briefing.isWaiting() && !briefing.isFinished(); ++frame)
    {
        const float dt = frame == 0 ? 0.15f : 1.0f / 30.0f;
        front.frame(dt);
        seen += dt;
        const cBriefing::Action* speech = briefing.getActive(cBriefing::kSpeech);
        if (!speech || speech == shown)
            continue;
        if (shown)
        {
            EXPECT_GE(seen + 1e-3f, speech->start - shown->start)
                << "\"" << Engine::toUtf8(shown->text) << "\" stands on the screen " << seen << " s";
            ++measured;
        }
        shown = speech;
        seen = 0.0f;
    }
    EXPECT_GE(measured, 7);
}

TEST_F(BriefingPlayer, TheFirstBriefingSpeaksOfNoBuildingBeforeItStandsOnTheField)
{
    cBriefing& briefing = open(L"levels/n0.xml");
    const cUnit::Ptr hall = CPlayState::instance().getGame()->getBase();
    ASSERT_TRUE(hall && hall->getView());
    int speeches = 0;
    const cBriefing::Action* last = nullptr;
    read(briefing, 37,
         [&]
         {
             const cBriefing::Action* speech = briefing.getActive(1);
             if (!speech || speech == last)
                 return;
             last = speech;
             ++speeches;
             const bool standing = hall->getView()->isShown() && hall->getState() != eUnitState::hidden &&
                                   hall->getState() != eUnitState::falling;
             if (!standing)
             {
                 EXPECT_EQ(lower(speech->text).find(L"hall"), std::wstring::npos)
                     << Engine::toUtf8(speech->text) << ": the town hall has not come down yet";
             }
         });
    EXPECT_GE(speeches, 4);
}

TEST_F(BriefingPlayer, TheBriefingAfterOneSkippedWithTheMouseDrawsItsSpeechAndCaptionWholeFromItsFirstFrame)
{
    // The opening briefing of level 1 skipped halfway through its third speech, the pointer
    // resting on the forward button until its caption waves; then the rubble is cleared.
    cBriefing& briefing = open(L"levels/n0.xml");
    while (briefing.getTime() < 9.2f && CGameEngine::instance().topState() == &BriefState::instance())
        front.frame(0.05f);
    Engine::cTextStyleButton* forward = briefing.getForwardButton();
    front.moveTo(forward->getPosition());
    front.frames(12, 0.05f);
    ASSERT_TRUE(forward->getCaption()->isWaving());
    front.clickAt(forward->getPosition());
    ASSERT_EQ(CGameEngine::instance().topState(), &CPlayState::instance());
    const Game::UnitMap& units = CPlayState::instance().getGame()->getUnits();
    const auto rubble = units.find(typeId(L"Rubble"));
    ASSERT_NE(rubble, units.end());
    front.clickAt(rubble->second->getView()->getPosition());
    for (int i = 0; i < 400 && CGameEngine::instance().topState() != &BriefState::instance(); ++i)
        front.frame(0.05f);
    ASSERT_EQ(CGameEngine::instance().topState(), &BriefState::instance()) << "the rubble's briefing";
    // The briefing opens with its move onto the road and begins the speech a frame later: no
    // bubble stands before it, the skipped briefing's least of all.
    for (int i = 0; i < 4 && !briefing.getActive(1); ++i)
    {
        EXPECT_FALSE(briefing.getBubbleText(true)->isShown() || briefing.getBubbleText(false)->isShown())
            << "a bubble before the speech";
        front.frame(0.05f);
    }

    // The first frame drawn with the speech: the text lines of the render pass.
    std::vector<Engine::cTextLine*> drawn;
    Engine::cView::renderPass(
        [&](Engine::cView* view)
        {
            if (auto* line = dynamic_cast<Engine::cTextLine*>(view))
                drawn.push_back(line);
        });
    const cBriefing::Action* speech = briefing.getActive(1);
    ASSERT_TRUE(speech);
    cBriefingBubble* bubble = briefing.getBubbleText(true)->isShown() ? briefing.getBubbleText(true)
                                                                      : briefing.getBubbleText(false);
    std::wstring laidOut;
    for (const std::wstring& line : bubble->getLineTexts())
        laidOut += line;
    EXPECT_EQ(withoutSpaces(laidOut), withoutSpaces(speech->text))
        << "the bubble's lines are the new speech's";
    const Engine::cVector2 at = forward->getPosition();
    const Engine::cVector2 half = forward->getSize() * 0.5f;
    for (Engine::cTextLine* line : drawn)
    {
        if (line == forward->getCaption())
        {
            // Every letter of the caption on the button.
            EXPECT_EQ(line->getText(), L"Skip");
            EXPECT_EQ(line->getSpriteList().size(), 4u);
            for (const Engine::cQuad& letter : line->getSpriteList())
                EXPECT_LT(std::fabs((letter.corners[0].y + letter.corners[3].y) * 0.5f - at.y), half.y)
                    << "a letter of the caption off its button";
        }
        else if (line->getParent() == bubble)
        {
            const auto& lines = bubble->getLines();
            const size_t index = std::find(lines.begin(), lines.end(), line) - lines.begin();
            ASSERT_LT(index, bubble->getLineTexts().size()) << "a line of an earlier layout";
            EXPECT_EQ(bubble->getLineTexts()[index].compare(0, line->getText().size(), line->getText()), 0);
        }
    }
}

} // namespace
