// View states and view descriptions read from their elements: the five kinds, the choice of a
// view by direction, angle and id, the sub-states, the matrix and its fallbacks, and what bad
// data does.
#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/ui/cButton.h"
#include "engine/ui/cPyro.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/ViewState.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <string>

namespace
{

Engine::tPropertiesPtr xml(const std::string& text)
{
    return Engine::cXmlProperties::fromBuffer(text.data(), text.size(), "test.xml");
}

ViewState::Ptr state(const std::string& text)
{
    auto parsed = boost::make_shared<ViewState>(L"test", "Units/Test.xml");
    parsed->init(xml(text), false);
    return parsed;
}

// The views of a state are told apart by their width.
float widthOf(const ViewState::ViewPtr& view)
{
    return view ? view->getSize().x : -1.0f;
}

class ViewStates : public ::testing::Test
{
protected:
    void TearDown() override { Engine::cControl::deletePending(); }
};

TEST_F(ViewStates, ALeafIsOneHiddenTemplateEvenWithChildrenWhenOneIsPyroEffects)
{
    const auto leaf =
        state("<S Name=\"idle\" size=\"40;20\" posoffset=\"3;-4\" deep_offset=\"0.5\" start_frame=\"2\" "
              "Cycles=\"1.9;3.2\" sound_id=\"mill_work\"><PyroEffects><E Visible=\"1\" "
              "PyroScale=\"2\"/></PyroEffects></S>");
    EXPECT_FALSE(leaf->isParsed()) << "parsed on first use";
    EXPECT_EQ(widthOf(leaf->getView(5)), 40.0f) << "the only view answers every direction";
    EXPECT_TRUE(leaf->isParsed());
    EXPECT_FALSE(leaf->getView(0)->isVisible());
    ASSERT_EQ(leaf->getView(0)->getParticleChildren().size(), 1u);
    EXPECT_EQ(leaf->getOffset(3), Engine::cVector2(3.0f, -4.0f));
    EXPECT_FLOAT_EQ(leaf->getDeepOffset(), 0.5f);
    EXPECT_EQ(leaf->getStartFrame(), 2u);
    EXPECT_EQ(leaf->getCyclesMin(), 1);
    EXPECT_EQ(leaf->getCyclesMax(), 3);
    EXPECT_EQ(leaf->getSoundId(), "mill_work");
    EXPECT_EQ(leaf->getSubState(L"anything"), leaf) << "a state without sub-states stands for itself";
}

TEST_F(ViewStates, DirectionalStatesTakeTheirChildrenByFallingAngleAndMirrorTheMissingHalf)
{
    // 3 children over half a turn: 4 directions, 90 degrees apart, from 90 down to -90.
    const auto half = state("<S FirstStateAngle=\"90\" Simmetric=\"1\"><D size=\"1;1\" posoffset=\"0;-1\"/>"
                            "<D size=\"2;2\" posoffset=\"5;-2\"/><D size=\"3;3\" posoffset=\"0;-3\"/></S>");
    EXPECT_EQ(widthOf(half->getView(0)), 1.0f);
    EXPECT_EQ(widthOf(half->getView(1)), 2.0f);
    EXPECT_EQ(widthOf(half->getView(2)), 3.0f);
    ASSERT_EQ(half->getViews().size(), 4u);
    // Direction 3 (180 degrees) is direction 1 (0 degrees) mirrored.
    EXPECT_EQ(widthOf(half->getView(3)), 2.0f);
    EXPECT_TRUE(half->getView(3)->getInverceX());
    EXPECT_FALSE(half->getView(1)->getInverceX());
    EXPECT_EQ(half->getOffset(3), Engine::cVector2(-5.0f, -2.0f));
    EXPECT_EQ(widthOf(half->getViewByAngle(170.0f)), 2.0f);
    EXPECT_TRUE(half->getViewByAngle(170.0f)->getInverceX());
    EXPECT_EQ(half->getOffsetByAngle(-80.0f), Engine::cVector2(0.0f, -3.0f));

    // From -90 the angles fall to -180, which wraps to 180, then 90 and 0.
    const auto whole = state("<S FirstStateAngle=\"-90\"><D size=\"1;1\"/><D size=\"2;2\"/><D size=\"3;3\"/>"
                             "<D size=\"4;4\"/></S>");
    EXPECT_EQ(widthOf(whole->getViewByAngle(-90.0f)), 1.0f);
    EXPECT_EQ(widthOf(whole->getViewByAngle(180.0f)), 2.0f);
    EXPECT_EQ(widthOf(whole->getViewByAngle(90.0f)), 3.0f);
    EXPECT_EQ(widthOf(whole->getViewByAngle(0.0f)), 4.0f);

    // One child with "Simmetric" would make no direction at all: it stands for the whole turn.
    const auto single = state("<S FirstStateAngle=\"90\" Simmetric=\"1\"><D size=\"7;7\"/></S>");
    EXPECT_EQ(widthOf(single->getViewByAngle(-45.0f)), 7.0f);
}

TEST_F(ViewStates, ByAnglesPicksTheNearestAngleAndItsOffsetSkipsAZeroOffset)
{
    const auto byAngles = state(
        "<S ByAngles=\"1\"><A Angle=\"0\" size=\"1;1\" posoffset=\"1;0\"/><A Angle=\"90\" size=\"2;2\"/>"
        "<A Angle=\"180\" size=\"3;3\" posoffset=\"3;0\"/><A Angle=\"90\" size=\"9;9\"/></S>");
    EXPECT_EQ(widthOf(byAngles->getViewByAngle(130.0f)), 2.0f) << "40 degrees off against 50";
    EXPECT_EQ(widthOf(byAngles->getViewByAngle(135.0f)), 2.0f) << "a tie takes the lower angle";
    EXPECT_EQ(widthOf(byAngles->getViewByAngle(170.9f)), 3.0f);
    EXPECT_EQ(byAngles->getViews().size(), 3u) << "the first of two equal angles stays";
    // The view at 90 has no offset: the walk takes the next entry's.
    EXPECT_EQ(byAngles->getOffsetByAngle(95.0f), Engine::cVector2(3.0f, 0.0f));
    EXPECT_EQ(byAngles->getOffsetByAngle(10.0f), Engine::cVector2(1.0f, 0.0f));
}

TEST_F(ViewStates, SequencesKeepTheirFirstNamedSubStateAndWalkThemByName)
{
    const auto sequence = state("<S PlayCycles=\"1\"><X Name=\"b\" size=\"2;2\"/><X Name=\"a\" size=\"1;1\"/>"
                                "<X Name=\"\" size=\"5;5\"/><X Name=\"c\" size=\"3;3\" Cycles=\"2;2\"/>"
                                "<X Name=\"a\" size=\"8;8\"/></S>");
    EXPECT_TRUE(sequence->isPlayCycles());
    EXPECT_EQ(sequence->getFirstSubStateName(), L"b");
    std::wstring order;
    for (const auto& entry : sequence->getSubStates())
        order += entry.first;
    EXPECT_EQ(order, L"abc") << "an unnamed child is skipped, the first of two names stays";
    EXPECT_EQ(widthOf(sequence->getSubState(L"a")->getView(0)), 1.0f);
    EXPECT_EQ(widthOf(sequence->getSubState(L"Truck")->getView(0)), 2.0f)
        << "an unknown name gives the first";
    const auto c = sequence->getSubState(L"c");
    EXPECT_EQ(c->getCyclesMax(), 0) << "a plain accessor does not parse";
    c->getView(0);
    EXPECT_EQ(c->getCyclesMax(), 2);
}

TEST_F(ViewStates, ByIdViewsAreBuiltOnceAndAnUnknownIdFallsBackToTheDefault)
{
    const auto byId = state("<S ById=\"1\" PlayBack=\"0\"><L Id=\"deep\" size=\"1;1\"/>"
                            "<L Id=\"default\" size=\"2;2\"/><L Id=\"shallow\" size=\"3;3\"/></S>");
    const auto deep = byId->getById(L"deep");
    EXPECT_TRUE(byId->isById());
    EXPECT_EQ(widthOf(deep), 1.0f);
    EXPECT_EQ(byId->getById(L"deep"), deep) << "one view per id";
    EXPECT_EQ(widthOf(byId->getById(L"sunken")), 2.0f) << "an id the level names wrongly shows the default";
    EXPECT_EQ(byId->getByIdViews().size(), 2u);

    const auto empty = state("<S ById=\"1\"><L Id=\"x\"/></S>");
    EXPECT_TRUE(empty->getById(L"y")) << "without a default the first child stands in";
}

TEST_F(ViewStates, AFailingViewNamesTheDescriptionAndTheState)
{
    const auto broken = boost::make_shared<ViewState>(L"work", "Units/Mill.xml");
    broken->init(xml("<S Picture=\"units/no_such_picture.png\"/>"), false);
    try
    {
        broken->getView(0);
        ADD_FAILURE() << "a missing picture must fail";
    }
    catch (const Engine::cStringA& text)
    {
        const std::string message = text;
        EXPECT_NE(message.find("\"Units/Mill.xml\", view state \"work\""), std::string::npos) << message;
    }
}

// ---------------------------------------------------------------------------------------------
// Descriptions

boost::shared_ptr<UnitViewDescription> description(const std::string& text)
{
    auto parsed = boost::make_shared<UnitViewDescription>(3, "Units/Test.xml");
    parsed->load(xml(text));
    return parsed;
}

TEST_F(ViewStates, ADescriptionReadsItsOffsetsListsAndDuplicates)
{
    const auto plain = description("<V name=\"Mill\"/>");
    EXPECT_EQ(plain->getName(), L"Mill");
    EXPECT_EQ(plain->getUpgradeButtonOffset(), Engine::cVector2(0.0f, 0.0f)) << "absent: on the unit itself";
    EXPECT_EQ(plain->getUpgradeIndicatorOffset(), Engine::cVector2(-1000.0f, -1000.0f));
    EXPECT_EQ(plain->getGoalTickOffset(), Engine::cVector2(0.0f, 0.0f));

    const auto full = description(
        "<V goalTickOffset=\"1;2\" progressOffset=\"3;4\" upgradeButtonOffset=\"-1000;-1000\" "
        "upgradeIndicatorOffset=\"5;6\"><UpgradeButtons><B pos=\"7;8\"/><B pos=\"9;10\"/></UpgradeButtons>"
        "<UpgradeIndicators><I pos=\"11;12\"/></UpgradeIndicators><Selection><S number=\"1\" pos=\"1;1\"/>"
        "<S number=\"1\" pos=\"2;2\"/></Selection><ViewStates><S Name=\"idle\" size=\"1;1\"/>"
        "<S Name=\"idle\" size=\"2;2\"/><S Name=\"\" size=\"3;3\"/></ViewStates></V>");
    EXPECT_EQ(full->getProgressOffset(), Engine::cVector2(3.0f, 4.0f));
    EXPECT_EQ(full->getUpgradeButtonOffset(), Engine::cVector2(-1000.0f, -1000.0f));
    ASSERT_EQ(full->getUpgradeButtonPositions().size(), 2u);
    EXPECT_EQ(full->getUpgradeButtonPositions()[1], Engine::cVector2(9.0f, 10.0f));
    EXPECT_EQ(full->getUpgradeIndicatorPositions()[0], Engine::cVector2(11.0f, 12.0f));
    EXPECT_EQ(full->getSelectionOffsets().at(1), Engine::cVector2(2.0f, 2.0f)) << "the later selection wins";
    ASSERT_EQ(full->getStates().size(), 1u);
    EXPECT_EQ(widthOf(full->getStates().at(L"idle")->getView(0)), 1.0f) << "the first state of a name wins";
}

TEST_F(ViewStates, TheMatrixFallsBackToTheRowsIdleThenToTheStateNamedIdle)
{
    const std::string states = "<ViewStates><S Name=\"idle\" size=\"1;1\"/><S Name=\"ruin\" size=\"2;2\"/>"
                               "<S Name=\"work\" size=\"3;3\"/></ViewStates>";
    const auto noMatrix = description("<V>" + states + "</V>");
    EXPECT_EQ(widthOf(noMatrix->getStateName(0, eUnitState::produce)->getView(0)), 1.0f);

    const auto twoRows = description("<V>" + states +
                                     "<UpStatesMatrix><L idle=\"ruin\"/><L idle=\"idle\" produce=\"work\"/>"
                                     "</UpStatesMatrix></V>");
    EXPECT_EQ(widthOf(twoRows->getStateName(1, eUnitState::produce)->getView(0)), 3.0f);
    EXPECT_EQ(widthOf(twoRows->getStateName(0, eUnitState::produce)->getView(0)), 2.0f) << "the row's idle";
    EXPECT_EQ(widthOf(twoRows->getStateName(2, eUnitState::produce)->getView(0)), 1.0f)
        << "a level past the rows takes the state named idle, not the last row";

    const auto noIdle = description("<V><ViewStates><S Name=\"work\"/></ViewStates></V>");
    EXPECT_FALSE(noIdle->getStateName(0, eUnitState::idle));

    // A matrix naming a state the file does not define loads: that entry is empty, so the
    // view keeps its look, and the row's other entries still work.
    const auto missing =
        description("<V>" + states +
                    "<UpStatesMatrix><L idle=\"idle\"/><L idle=\"work\" fireIdle=\"burning\"/>"
                    "</UpStatesMatrix></V>");
    EXPECT_FALSE(missing->getStateName(1, eUnitState::fireIdle)) << "an empty entry, not the row's idle";
    EXPECT_EQ(widthOf(missing->getStateName(1, eUnitState::idle)->getView(0)), 3.0f);
}

TEST_F(ViewStates, ReleasingADescriptionLetsGoOfItsViews)
{
    const auto full = description("<V><ViewStates><S Name=\"idle\" size=\"1;1\"/><S Name=\"turn\" "
                                  "FirstStateAngle=\"90\"><D/><D/></S></ViewStates></V>");
    const Engine::cButton* idle = full->getStates().at(L"idle")->getView(0).get();
    full->getStates().at(L"turn")->getView(0);
    full->hideStates();
    full->release();
    EXPECT_TRUE(full->getStates().at(L"turn")->getViews().empty());
    EXPECT_TRUE(Engine::cControl::isAlive(idle)) << "deleted with the frame, not at once";
    Engine::cControl::deletePending();
    EXPECT_FALSE(Engine::cControl::isAlive(idle));
}

} // namespace
