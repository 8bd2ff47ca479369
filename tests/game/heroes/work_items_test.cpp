// Work at a target: the hero and its tool stand at the target's work points, the bar fills
// once the tool has prepared, and the work's effect lands at its end; the 51-byte work
// record goes on where it stopped.
#include "engine/ui/cPyro.h"
#include "game/heroes/DestroyActionItem.h"
#include "game/heroes/FireActionItem.h"
#include "game/heroes/Goal.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/hud/cGoalArrow.h"
#include "game/hud/cUnitProgressView.h"
#include "game/hud/cUnitView.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <cmath>
#include <string>

using namespace ItemTest;

namespace
{

constexpr float kDt = 1.0f / 64.0f;

// Changes a unit type's rules for one test: the types are shared by the whole program.
class TypeChange
{
public:
    explicit TypeChange(const wchar_t* type) : m_type(GameConfig::instance().getTypeInfo(typeId(type)))
    {
        m_upgradeTime = m_type->levels.front()->upgradeTime;
        m_attach = m_type->attachTypeId;
    }
    ~TypeChange()
    {
        m_type->levels.front()->upgradeTime = m_upgradeTime;
        m_type->attachTypeId = m_attach;
    }
    TypeChange(const TypeChange&) = delete;
    TypeChange& operator=(const TypeChange&) = delete;

    UnitTypeInfo& operator*() const { return *m_type; }

private:
    boost::shared_ptr<UnitTypeInfo> m_type;
    float m_upgradeTime;
    int m_attach;
};

// Frames of kDt until the summed time passes `seconds`.
int framesPast(float seconds)
{
    return static_cast<int>(std::floor(seconds / kDt)) + 1;
}

const std::string kWorkPoints = "<CameOffsetPoints><Route Pos=\"0;30\"><Step Pos=\"-20;20\" Angle=\"30\"/>"
                                "<Step Pos=\"0;24\" Angle=\"90\"/><Step Pos=\"20;20\" Angle=\"150\"/></Route>"
                                "</CameOffsetPoints>";

} // namespace

TEST(WorkItems, AFireIsPutOutOnceTheToolHasPreparedAndADamagedUnitStaysDamaged)
{
    ItemFixture fixture;
    Game& game = fixture.level(
        "<Unit Type=\"Workshop\" Position=\"210;150\" InFire=\"1\" IsDamaged=\"1\">" + kWorkPoints +
        "<FireUpgrades><Level UpgradeTime=\"3\"><ResOut><Res Name=\"Money\" Count=\"2\"/>"
        "</ResOut></Level></FireUpgrades></Unit>");
    const cUnit::Ptr workshop = fixture.first(L"Workshop");
    workshop->route = workshop->cameOffsetRoutes.front();
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(3, 3)));
    auto goal = boost::make_shared<Goal>(workshop, cGameResources());
    hero->setGoal(goal);

    // Without its tool the hero cannot put a fire out.
    try
    {
        boost::make_shared<FireActionItem>(hero, workshop, cUnit::Ptr())->start();
        ADD_FAILURE() << "no error";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "FireActionItem::start(): there is no attach for extinguish fire");
    }

    // The extinguisher prepares for a second and brings a second tool along.
    TypeChange extinguisher(L"Extinguisher");
    (*extinguisher).levels.front()->upgradeTime = 1.0f;
    (*extinguisher).attachTypeId = typeId(L"BarrierFireAttach");
    const cUnit::Ptr tool = game.attachTool(hero, workshop);
    ASSERT_TRUE(tool);
    const int money = game.getResources().getCount(resourceId(L"Money"));
    auto fire = boost::make_shared<FireActionItem>(hero, workshop, tool);
    fixture.startChain({fire});
    EXPECT_EQ(goal->getStatus(), Goal::Working);
    EXPECT_EQ(hero->getState(), eUnitState::destroy);
    EXPECT_EQ(hero->getStateTypeId(), workshop->getTypeId());
    EXPECT_EQ(game.unitPos(hero), game.unitPos(workshop) + Engine::cVector2(-20.0f, 20.0f));
    EXPECT_EQ(hero->getAngle(), 30.0f);
    EXPECT_EQ(game.unitPos(tool), game.unitPos(workshop) + Engine::cVector2(20.0f, 20.0f));
    EXPECT_EQ(tool->getState(), eUnitState::prepare);
    const cUnit::Ptr second = fire->getTool();
    ASSERT_TRUE(second);
    EXPECT_EQ(game.unitPos(second), game.unitPos(workshop) + Engine::cVector2(0.0f, 24.0f));

    fixture.run(framesPast(1.0f) - 1, kDt);
    EXPECT_EQ(fire->getProgressView(), nullptr) << "no bar while the tool prepares";
    EXPECT_EQ(tool->getState(), eUnitState::prepare);
    fixture.run(1, kDt);
    ASSERT_NE(fire->getProgressView(), nullptr);
    EXPECT_EQ(tool->getState(), eUnitState::destroy);
    EXPECT_EQ(second->getState(), eUnitState::destroy);

    // Halfway through the fire: the 51-byte record, with every reference, reads back the same.
    fixture.run(96, kDt);
    EXPECT_NEAR(fire->getProgressView()->getCurrentValue(), 50.0f, 1.0f);
    const std::vector<uint8_t> bytes = fixture.record(fire);
    ASSERT_EQ(bytes.size(), 51u);
    EXPECT_EQ(int32At(bytes, 0), FireAction);
    EXPECT_FLOAT_EQ(floatAt(bytes, 26), 3.0f) << "duration";
    EXPECT_FLOAT_EQ(floatAt(bytes, 30), 1.0f) << "delay";
    EXPECT_EQ(bytes[34], 1) << "working";
    EXPECT_EQ(int32At(bytes, 35), 3) << "the hero's cell before the work";
    EXPECT_EQ(fixture.record(fixture.restore(bytes)), bytes);

    EXPECT_EQ(fixture.runUntilDone(fire, kDt, 1000), framesPast(4.0f) - framesPast(1.0f) - 96);
    EXPECT_FALSE(workshop->inFire);
    EXPECT_EQ(workshop->getState(), eUnitState::damageIdle);
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), money + 2) << "the fire's yield";
    EXPECT_EQ(hero->getCell(), Engine::cPoint(3, 3));
    EXPECT_EQ(hero->getState(), eUnitState::idle);
    EXPECT_EQ(tool->getState(), eUnitState::idle);
    EXPECT_TRUE(second->isRemoved());
    EXPECT_EQ(fire->getProgressView(), nullptr);
    EXPECT_FALSE(hero->getGoal());

    // Empty references are written as -1.
    const std::vector<uint8_t> bare =
        fixture.record(boost::make_shared<DestroyActionItem>(cUnit::Ptr(), workshop, cUnit::Ptr()));
    ASSERT_EQ(bare.size(), 51u);
    EXPECT_EQ(int32At(bare, 6), -1);
    EXPECT_EQ(int32At(bare, 14), -1);
    EXPECT_EQ(int32At(bare, 18), -1);
}

TEST(WorkItems, TheFlamesOfAFireAcrossTheRoadDieDownWhileTheHeroWorks)
{
    ItemFixture fixture;
    // A look with a particle effect, for the flames to fade (the test's shared folder hides the
    // shipped look).
    const std::string look =
        "<View name=\"BarrierFire\"><ViewStates><S Name=\"idle\" size=\"8;8\"><PyroEffects>"
        "<E Visible=\"1\" Enable=\"1\"/></PyroEffects></S></ViewStates></View>";
    Engine::writeWholeFile("units/barrierfire.xml", look.data(), look.size());
    Game& game = fixture.level("<Unit Type=\"BarrierFire\" Position=\"210;150\"/>");
    const cUnit::Ptr fire = fixture.first(L"BarrierFire");
    ASSERT_FALSE(fire->getView()->getParticleChildren().empty());
    auto* flames = dynamic_cast<Engine::cPyro*>(fire->getView()->getParticleChildren().back());
    ASSERT_TRUE(flames);
    const float full = flames->getPyroScale();
    ASSERT_GT(full, 0.0f);
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(3, 3)));
    TypeChange extinguisher(L"Extinguisher");
    (*extinguisher).levels.front()->upgradeTime = 1.0f;
    const cUnit::Ptr tool = game.attachTool(hero, fire);
    ASSERT_TRUE(tool);
    const float duration = fire->getActiveLevelInfo()->upgradeTime;
    ASSERT_GT(duration, 0.0f);
    auto work = boost::make_shared<UpgradeActionItem>(hero, fire, tool);
    fixture.startChain({work});

    // While the tool prepares the flames burn on; then they shrink with the work.
    fixture.run(framesPast(1.0f) - 1, kDt);
    EXPECT_FLOAT_EQ(flames->getPyroScale(), full);
    fixture.run(1, kDt);
    ASSERT_TRUE(work->isWorking());
    const int half = static_cast<int>(duration / 2.0f / kDt);
    fixture.run(half, kDt);
    EXPECT_NEAR(flames->getPyroScale(), full / 2.0f, full * 0.02f)
        << "half burnt down halfway through the work";
    fixture.run(half - 2, kDt);
    EXPECT_LT(flames->getPyroScale(), full * 0.02f) << "nearly out at the end";
    EXPECT_TRUE(work->isActive());
}

TEST(WorkItems, WorkDoneWithoutAHeroHidesTheArrowOfAReachedGoal)
{
    ItemFixture fixture;
    Game& game = fixture.level(
        "<Unit Type=\"Road\" Position=\"110;110\" TargetType=\"1\" TargetLevel=\"1\" GoalCategory=\"roads\"/>"
        "<Unit Type=\"Road\" Position=\"190;110\" TargetType=\"1\" TargetLevel=\"1\" "
        "GoalCategory=\"roads\"/>");
    game.buildLevelGoals();
    ASSERT_EQ(game.getLevelGoals().size(), 2u);
    for (const LevelGoal& goal : game.getLevelGoals())
        new cGoalArrow(game.getUnitFieldPos(goal.target.lock()), getPlayView(), &goal);
    ASSERT_EQ(cGoalArrow::arrows().size(), 2u);
    // The first road is reached (its goal judged done); its arrow still shows.
    const cUnit::Ptr first = game.getLevelGoals()[0].target.lock();
    const cUnit::Ptr second = game.getLevelGoals()[1].target.lock();
    first->setLevelAndState(1, eUnitState::idle, true);
    game.countOpenGoals();
    ASSERT_EQ(cGoalArrow::arrows().size(), 2u);

    // Work without a hero on the second road (as a base is upgraded, a flood drained or an
    // animal's countdown runs out): when it ends, the reached goal's arrow goes.
    auto work = boost::make_shared<UpgradeActionItem>(cUnit::Ptr(), second, cUnit::Ptr());
    fixture.startRegistered(work);
    ASSERT_GT(fixture.runUntilDone(work, kDt, 1000), 0);
    EXPECT_EQ(second->getLevel(), 1);
    ASSERT_EQ(cGoalArrow::arrows().size(), 1u);
    EXPECT_EQ(cGoalArrow::arrows().begin()->second->getGoal()->target.lock(), second);
    cGoalArrow::hideAll();
}
