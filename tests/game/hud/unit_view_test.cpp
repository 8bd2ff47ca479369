// Unit views on a real level model, with the recording render device and mixer and a frame
// timer the test steps: the look picked by level, state and angle, the place in depth, the
// head-up pieces, the looks that change by themselves, lent parts and sounds.
#include "engine/core/FileUtils.h"
#include "engine/core/cXmlProperties.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cPyro.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/ViewState.h"
#include "game/hud/cUnitView.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <string>

using namespace GameTest;

namespace
{

// A statue whose looks are told apart by their width: one state of every kind.
const std::string kStatue =
    R"(<View name="Test statue" goalTickOffset="5;-20" upgradeButtonOffset="-1000;-1000">
  <ViewStates>
    <S Name="idle" size="10;10" posoffset="0;-4" deep_offset="0.5" sound_id="quest"/>
    <S Name="walk" FirstStateAngle="90" Simmetric="1">
      <D size="11;11" frames_count="4" anim_columns="4" anim_length="2" PlayAnimation="1"/>
      <D size="12;12" frames_count="4" anim_columns="4" anim_length="2" PlayAnimation="1" posoffset="3;0"/>
      <D size="13;13" frames_count="4" anim_columns="4" anim_length="2" PlayAnimation="1"/>
    </S>
    <S Name="cycle" PlayCycles="1">
      <X Name="b" size="2;2" anim_length="1" Cycles="2;2"/>
      <X Name="a" size="1;1" anim_length="1" Cycles="1;3"/>
      <X Name="c" size="3;3" anim_length="1" Cycles="2;2"/>
    </S>
    <S Name="empty" PlayCycles="1"><X size="4;4"/></S>
    <S Name="look" ById="1"><L Id="tall" size="22;22"/><L Id="default" size="21;21"/></S>
    <S Name="back" ById="1" PlayBack="1"><L Id="default" size="23;23"/></S>
    <S Name="parts" Complex="1" size="30;30" posoffset="0;-2">
      <P size="5;5" posoffset="10;0" deep_offset="1"/>
      <P size="6;6" posoffset="-10;0" deep_offset="2"/>
    </S>
    <S Name="smoke" size="8;8"><PyroEffects><E Visible="1" Enable="1"/></PyroEffects></S>
  </ViewStates>
  <UpStatesMatrix>
    <L idle="idle" move="walk" upgrade="cycle" produce="empty" carry="look" harvest="back" destroy="parts"
       prepare="smoke"/>
  </UpStatesMatrix>
</View>)";

class UnitViews : public ::testing::Test
{
protected:
    void SetUp() override { Engine::writeWholeFile("units/statue.xml", kStatue.data(), kStatue.size()); }

    Game& load(const std::string& buildings) { return fixture.load(960, GameFixture::levelXml(buildings)); }

    cUnit::Ptr unit(Game& game, const wchar_t* type, size_t index = 0)
    {
        auto range = game.getUnits().equal_range(typeId(type));
        std::advance(range.first, static_cast<long>(index));
        return range.first->second;
    }

    static float width(const cUnitView* view) { return view->getSize().x; }

    void give(Game& game, const std::string& resources)
    {
        const std::string list = "<R>" + resources + "</R>";
        cGameResources more;
        more.loadXML(Engine::cXmlProperties::fromBuffer(list.data(), list.size(), "resources"));
        game.addResources(more);
    }

    GameFixture fixture;
};

TEST_F(UnitViews, TheViewStandsInItsLayerAtTheUnitsYPlusTheStatesDeepOffset)
{
    Game& game = load("<Unit Type=\"Statue\" Position=\"200;310\"/>");
    const cUnit::Ptr statue = unit(game, L"Statue");
    cUnitView* view = statue->getView();
    view->setDepthLayer(2);
    EXPECT_FLOAT_EQ(view->getDeep(), 2310.5f);
    EXPECT_EQ(width(view), 10.0f);
    EXPECT_EQ(view->getPosition(), Engine::cVector2(200.0f, 306.0f)) << "the state's offset";

    statue->setFallOffset(30.0f);
    EXPECT_EQ(view->getPosition(), Engine::cVector2(200.0f, 276.0f)) << "a fall lifts the picture";
    EXPECT_FLOAT_EQ(view->getDeep(), 2310.5f) << "but not its depth";

    statue->setState(eUnitState::hidden, -1);
    EXPECT_FALSE(view->isShown());
    EXPECT_EQ(width(view), 10.0f) << "a hidden unit keeps the row's idle look";
    statue->setState(eUnitState::idle, -1);
    EXPECT_TRUE(view->isShown());
}

TEST_F(UnitViews, HeroesFaceTheirWayAndAWalkTurningToTheMirroredSideGoesOnHalfALengthLater)
{
    Game& game = fixture.newGame();
    const cUnit::Ptr hero = game.addUnit(typeId(L"hero"), 0, -1, eUnitState::idle, 0.0f,
                                         Engine::cVector2(300.0f, 300.0f), {}, L"");
    cUnitView* view = hero->getView();
    const std::pair<float, const char*> ways[] = {{90.0f, "n"},   {45.0f, "ne"},  {0.0f, "e"},
                                                  {-45.0f, "se"}, {-90.0f, "s"},  {-135.0f, "sw"},
                                                  {180.0f, "w"},  {135.0f, "nw"}, {-170.0f, "w"}};
    for (const auto& [angle, way] : ways)
    {
        hero->setAngle(angle);
        EXPECT_EQ(view->getTextureName(), std::string("heroes/hero_idle_") + way + ".png") << angle;
        hero->setState(eUnitState::move, -1);
        EXPECT_EQ(view->getTextureName(), std::string("heroes/hero_walk_") + way + ".png") << angle;
        EXPECT_EQ(view->getPosition(), Engine::cVector2(300.0f, 282.0f)) << "the anchor on the unit";
        hero->setState(eUnitState::idle, -1);
    }

    Game& level = load("<Unit Type=\"Statue\" Position=\"200;310\"/>");
    const cUnit::Ptr statue = unit(level, L"Statue");
    cUnitView* walker = statue->getView();
    statue->setAngle(0.0f);
    statue->setState(eUnitState::move, -1);
    EXPECT_EQ(width(walker), 12.0f);
    EXPECT_EQ(walker->getPosition(), Engine::cVector2(203.0f, 310.0f));
    walker->setAnimTime(0.3f);
    statue->setAngle(-80.0f);
    EXPECT_EQ(width(walker), 13.0f);
    EXPECT_FLOAT_EQ(walker->getAnimTime(), 0.3f) << "the same side keeps the phase";
    statue->setAngle(170.0f);
    EXPECT_EQ(width(walker), 12.0f);
    EXPECT_TRUE(walker->getInverceX());
    EXPECT_EQ(walker->getPosition(), Engine::cVector2(197.0f, 310.0f)) << "the mirrored offset";
    EXPECT_FLOAT_EQ(walker->getAnimTime(), 1.3f) << "the other side starts half a length on";
}

TEST_F(UnitViews, TheUpgradeButtonAndTheIndicatorFollowLevelStateAndResources)
{
    Game& game =
        load("<Unit Type=\"Market\" Position=\"200;200\"/><Unit Type=\"TownHall\" Position=\"500;300\" "
             "Level=\"2\"/>");
    const cUnit::Ptr market = unit(game, L"Market");
    cUnitView* view = market->getView();
    ASSERT_TRUE(view->getUpgradeButton());
    EXPECT_FALSE(view->getUpgradeButton()->isShown()) << "a ruin is not upgraded with the button";
    EXPECT_FALSE(view->getUpgradeIndicator());

    market->setLevelAndState(1, eUnitState::idle, false);
    Engine::cLightButton* button = view->getUpgradeButton();
    EXPECT_TRUE(button->isShown());
    EXPECT_TRUE(button->getShowDisabled()) << "the level cannot pay yet";
    const auto description = view->getDescription();
    EXPECT_EQ(button->getPosition(), view->getPosition() + description->getUpgradeButtonOffset());
    give(game, "<Res Name=\"Money\" Count=\"10\"/><Res Name=\"Cement\" Count=\"2\"/>");
    EXPECT_FALSE(button->getShowDisabled()) << "affordable: the normal look at once";
    game.subtractResources(cGameResources(game.getResources()));
    EXPECT_TRUE(button->getShowDisabled()) << "the resource signal greys it again";
    EXPECT_TRUE(button->isShown());
    give(game, "<Res Name=\"Money\" Count=\"10\"/><Res Name=\"Cement\" Count=\"2\"/>");
    market->setState(eUnitState::produce, -1);
    EXPECT_TRUE(button->getShowDisabled()) << "a busy mill cannot start an upgrade";
    market->setState(eUnitState::upgrade, -1);
    EXPECT_FALSE(button->isShown());

    // Indicator n: the town hall's level, a mill's level less one.
    market->setLevelAndState(2, eUnitState::idle, false);
    ASSERT_TRUE(view->getUpgradeIndicator());
    EXPECT_EQ(view->getUpgradeIndicator()->getTextureName(), "common/upgrade_indicator_1.png");
    EXPECT_FALSE(view->getUpgradeButton()->isShown()) << "the last level";
    cUnitView* hall = unit(game, L"TownHall")->getView();
    ASSERT_TRUE(hall->getUpgradeIndicator());
    EXPECT_EQ(hall->getUpgradeIndicator()->getTextureName(), "common/upgrade_indicator_2.png");
    EXPECT_EQ(hall->getUpgradeIndicator()->getPosition(),
              hall->getPosition() + hall->getDescription()->getUpgradeIndicatorOffset());
    market->setLevelAndState(6, eUnitState::idle, false);
    EXPECT_FALSE(view->getUpgradeIndicator()) << "a level past the indicators shows none";

    // The view goes with its unit; the level's resources no longer reach it.
    market->destroy();
    Engine::cControl::deletePending();
    give(game, "<Res Name=\"Money\" Count=\"1\"/>");
    EXPECT_EQ(market->getView(), nullptr);
}

TEST_F(UnitViews, CycledRandomAndBackwardLooksRunOnTheFrameTimer)
{
    Game& game = load("<Unit Type=\"Statue\" Position=\"200;310\"/>");
    const cUnit::Ptr statue = unit(game, L"Statue");
    cUnitView* view = statue->getView();

    // Sub-states in name order, each for a whole number of its lengths from its "Cycles".
    statue->setState(eUnitState::upgrade, -1);
    EXPECT_EQ(width(view), 1.0f);
    const float first = view->getCycleCountdown();
    EXPECT_TRUE(first == 1.0f || first == 2.0f) << first;
    fixture.run(static_cast<int>(first * 4.0f), 0.25f);
    EXPECT_EQ(width(view), 2.0f);
    EXPECT_FLOAT_EQ(view->getCycleCountdown(), 2.0f);
    fixture.run(8, 0.25f);
    EXPECT_EQ(width(view), 3.0f);
    fixture.run(8, 0.25f);
    EXPECT_EQ(width(view), 1.0f) << "and round again";

    // A sequence without a named sub-state leaves the look as it is.
    statue->setState(eUnitState::produce, -1);
    EXPECT_EQ(width(view), 1.0f);

    // A by-id look without an id on the unit shows "default" and keeps the id.
    statue->setState(eUnitState::carry, -1);
    EXPECT_EQ(width(view), 21.0f);
    EXPECT_EQ(statue->getViewStateId(), L"default");
    EXPECT_FLOAT_EQ(view->getCycleCountdown(), 0.0f);

    // Backward playback keeps the look and runs the animation time back.
    view->setAnimTime(0.5f);
    statue->setState(eUnitState::harvest, -1);
    EXPECT_TRUE(view->isReversed());
    EXPECT_FALSE(view->PlayAnimation);
    EXPECT_EQ(width(view), 21.0f);
    fixture.run(1, 0.2f);
    EXPECT_FLOAT_EQ(view->getAnimTime(), 0.3f);
    statue->setViewStateId(L"tall");
    statue->setState(eUnitState::carry, -1);
    EXPECT_FALSE(view->isReversed()) << "a by-id look that plays forward ends it";
    EXPECT_EQ(width(view), 22.0f);
}

TEST_F(UnitViews, ACompositeLookLendsItsPartsToTheLastUnitAndTakesThemBackWhenItGoes)
{
    Game& game =
        load("<Unit Type=\"Statue\" Position=\"200;310\"/><Unit Type=\"Statue\" Position=\"400;110\"/>");
    const cUnit::Ptr one = unit(game, L"Statue", 0);
    const cUnit::Ptr two = unit(game, L"Statue", 1);
    one->setState(eUnitState::destroy, -1);
    const auto parts = one->getView()->getDescription()->getStates().at(L"parts")->getViews();
    ASSERT_EQ(parts.size(), 2u);
    Engine::cButton* left = parts.at(1).get();
    EXPECT_EQ(left->getParent(), one->getView());
    EXPECT_EQ(width(one->getView()), 30.0f);
    EXPECT_EQ(left->getPosition(), one->getView()->getPosition() + Engine::cVector2(-10.0f, 0.0f));
    EXPECT_FLOAT_EQ(left->getDeep(), one->getView()->getDeep() + 2.0f);

    two->setState(eUnitState::destroy, -1);
    EXPECT_EQ(left->getParent(), two->getView()) << "one set of parts for the type";
    EXPECT_EQ(left->getPosition(), two->getView()->getPosition() + Engine::cVector2(-10.0f, 0.0f));

    two->destroy();
    Engine::cControl::deletePending();
    ASSERT_TRUE(Engine::cControl::isAlive(left)) << "the parts belong to their state";
    EXPECT_EQ(left->getParent(), nullptr);
    EXPECT_FALSE(left->isVisible());
    one->setState(eUnitState::idle, -1);
    one->setState(eUnitState::destroy, -1);
    EXPECT_EQ(left->getParent(), one->getView());
    EXPECT_TRUE(left->isShown());
}

// The level run by the play state: from its loading screen to its clean-up.
class UnitViewSounds : public ::testing::Test
{
protected:
    UnitViewSounds() { Engine::writeWholeFile("units/statue.xml", kStatue.data(), kStatue.size()); }
    ~UnitViewSounds() override
    {
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        engine.setLevelPath(L"");
    }

    void frame(float dt)
    {
        fixture.timer.frameTime = dt;
        Engine::cControl::enabledPass();
        CGameEngine::instance().Update();
        Engine::cControl::deletePending();
    }
    // The cooldowns run down without a frame of the level.
    void cool(float seconds)
    {
        fixture.timer.frameTime = seconds;
        fixture.sounds->updateCooldowns();
    }
    int plays() const { return fixture.mixer->count("play"); }

    SilentEffects effects;
    GameFixture fixture;
};

TEST_F(UnitViewSounds, StatesSoundOnlyWhileTheLevelRunsThroughTheCooldownAndNeverForAnimals)
{
    fixture.startProfile();
    fixture.writeLevel(
        961,
        GameFixture::levelXml("<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>"
                              "<Unit Type=\"Statue\" Position=\"200;310\"/><Unit Type=\"Puppy\" "
                              "Position=\"300;300\"/>"));
    CGameEngine& engine = CGameEngine::instance();
    engine.setLevelPath(L"levels/n961.xml");
    CPlayState& play = CPlayState::instance();
    const int before = plays();
    engine.ChangeState(&play);
    for (int i = 0; i < 6 && !play.isRunning(); ++i)
    {
        frame(0.02f);
        if (!play.isRunning())
        {
            EXPECT_EQ(plays(), before) << "nothing sounds while the level loads";
        }
    }
    ASSERT_TRUE(play.isRunning());
    Game& game = *play.getGame();
    const cUnit::Ptr statue = game.getUnits().find(typeId(L"Statue"))->second;

    cool(1.0f);
    const int start = plays();
    statue->setState(eUnitState::move, -1);
    statue->setState(eUnitState::idle, -1);
    EXPECT_EQ(plays(), start + 1) << "the idle look's sound";
    statue->setState(eUnitState::move, -1);
    statue->setState(eUnitState::idle, -1);
    EXPECT_EQ(plays(), start + 1) << "within the cooldown";
    cool(0.1f);
    statue->setState(eUnitState::idle, -1);
    EXPECT_EQ(plays(), start + 1);
    cool(0.1f);
    statue->setState(eUnitState::idle, -1);
    EXPECT_EQ(plays(), start + 2);

    const cUnit::Ptr puppy = game.getUnits().find(typeId(L"Puppy"))->second;
    puppy->setState(eUnitState::upgrade, -1);
    puppy->setState(eUnitState::idle, -1);
    EXPECT_EQ(plays(), start + 2) << "animals change looks in silence";

    engine.PopState();
    EXPECT_FALSE(play.isRunning());
}

TEST_F(UnitViews, TheGoalTickSitsAtItsOffsetAndEffectsFadeOutStepByStep)
{
    Game& game = load("<Unit Type=\"Statue\" Position=\"200;310\"/>");
    const cUnit::Ptr statue = unit(game, L"Statue");
    cUnitView* view = statue->getView();
    view->showGoalTick(true);
    ASSERT_TRUE(view->getGoalTick());
    EXPECT_TRUE(view->getGoalTick()->isShown());
    EXPECT_EQ(view->getGoalTick()->getPosition(), view->getPosition() + Engine::cVector2(5.0f, -20.0f));
    statue->setCell(statue->getCell(), statue->getOffset() + Engine::cVector2(0.0f, 40.0f));
    EXPECT_EQ(view->getGoalTick()->getPosition(), view->getPosition() + Engine::cVector2(5.0f, -20.0f))
        << "head-up pieces move with the view";
    view->showGoalTick(false);
    EXPECT_FALSE(view->getGoalTick()->isShown());

    statue->setState(eUnitState::prepare, -1);
    ASSERT_EQ(view->getParticleChildren().size(), 1u);
    auto* effect = dynamic_cast<Engine::cPyro*>(view->getParticleChildren()[0]);
    ASSERT_TRUE(effect);
    EXPECT_TRUE(effect->isShown()) << "the look's effect shows on the unit";
    const float scale = effect->getPyroScale();
    view->startFade(4.0f);
    view->fadeStep(1.0f);
    view->fadeStep(1.0f);
    EXPECT_FLOAT_EQ(effect->getPyroScale(), scale * 0.5f) << "half of the fading time";
}

} // namespace
