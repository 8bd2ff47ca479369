// The shipped view data loaded through the real loaders, on a render device that records what
// it is asked: every unit type's description with every state, sub-state and by-id look and
// the sound of each, and the head-up layouts and effect files the unit views and the level
// read. A forgotten picture, sound id, child or flag fails here, naming the file.
#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cProperties.h"
#include "engine/devices/cSound.h"
#include "engine/ui/cButton.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPyro.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/ViewState.h"
#include "game/hud/cFinishLevelSaluts.h"
#include "game/hud/cFlyingIconText.h"
#include "game/hud/cPointerView.h"
#include "game/hud/cUnitProgressView.h"
#include "game/world/GameConfig.h"
#include "game/world/cGameSounds.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/game/hud/hud_test_tools.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace
{

class ViewData : public ::testing::Test
{
protected:
    ViewData()
    {
        sound = std::make_unique<Engine::cSound>(std::make_unique<Platform::RecordingMixer>());
        sounds = std::make_unique<cGameSounds>();
    }

    ~ViewData() override
    {
        UnitViewLibrary::instance().clear();
        Engine::cControl::deletePending();
        sounds.reset();
        sound.reset();
    }

    // Parses a state and everything below it, and checks its sound and its views' pictures.
    void loadState(ViewState& state, const std::string& where, const std::set<std::wstring>& ids)
    {
        state.isComplex();
        if (!state.getSoundId().empty())
        {
            EXPECT_NO_THROW(sounds->getSample(state.getSoundId()))
                << where << ": the sound id \"" << state.getSoundId() << "\" is not in \"GameSounds.xml\"";
        }
        if (state.isById())
        {
            EXPECT_TRUE(ids.count(L"default")) << where << ": a by-id state needs the look \"default\"";
            for (const std::wstring& id : ids)
            {
                const auto view = state.getById(id);
                EXPECT_TRUE(view && view->getTexture()) << where << " \"" << Engine::toUtf8(id) << "\"";
            }
            return;
        }
        for (const auto& [key, view] : state.getViews())
        {
            EXPECT_TRUE(view && view->getTexture()) << where << ": view " << key << " has no picture";
        }
        if (state.getBaseView())
        {
            EXPECT_TRUE(state.getBaseView()->getTexture()) << where;
        }
        for (const auto& [name, sub] : state.getSubStates())
            loadState(*sub, where + "/" + Engine::toUtf8(name), ids);
        EXPECT_FALSE(state.getViews().empty() && state.getSubStates().empty()) << where << " shows nothing";
    }

    // The "Id" of every look of a by-id state, read from the description file.
    std::set<std::wstring> idsOf(const std::string& path, const std::wstring& stateName)
    {
        std::set<std::wstring> ids;
        Engine::tPropertiesPtr states;
        if (!engine.resources->getXml(path, true)->getChild(L"ViewStates", states))
            return ids;
        Engine::tPropertiesList list;
        states->getChildren(list);
        for (const auto& element : list)
        {
            if (element->getAttribute(L"Name") != stateName)
                continue;
            Engine::tPropertiesList looks;
            element->getChildren(looks);
            for (const auto& look : looks)
                ids.insert(look->getAttribute(L"Id"));
        }
        return ids;
    }

    Engine::tPropertiesPtr layout(const char* path) { return engine.resources->getXml(path, true); }

    HudTest::GameDataEngine engine{HudTest::recordingRender};
    std::unique_ptr<Engine::cSound> sound;
    std::unique_ptr<cGameSounds> sounds;
};

TEST_F(ViewData, EveryUnitTypeHasADescriptionWhoseLooksAndSoundsLoad)
{
    GameConfig& config = GameConfig::instance();
    ASSERT_GT(config.getTypes().size(), 40u);
    for (const auto& entry : config.getTypes())
    {
        const int typeId = entry.first;
        const std::string name = Engine::toUtf8(config.unitNames().nameOf(typeId));
        const std::string path = "Units/" + name + ".xml";
        boost::shared_ptr<UnitViewDescription> description;
        try
        {
            description = UnitViewLibrary::instance().findOrLoad(typeId);
        }
        catch (...)
        {
            ADD_FAILURE() << Engine::currentExceptionText();
            continue;
        }
        ASSERT_TRUE(description) << name << " has no view description";
        EXPECT_FALSE(description->getName().empty()) << path;
        EXPECT_TRUE(description->getStateName(0, eUnitState::idle)) << path << " shows nothing when idle";
        EXPECT_GE(description->getRows().size(), 1u) << path;
        for (const auto& [stateName, state] : description->getStates())
        {
            try
            {
                loadState(*state, path + " " + Engine::toUtf8(stateName), idsOf(path, stateName));
            }
            catch (...)
            {
                ADD_FAILURE() << Engine::currentExceptionText();
            }
        }
    }
}

TEST_F(ViewData, TheHeadUpLayoutsAndTheEffectsLoadThroughTheirViews)
{
    Engine::cPicture tick;
    tick.loadXML(layout("Common/goalTick.xml"));
    EXPECT_GT(tick.getSize().x, 1.0f);
    EXPECT_TRUE(tick.isVisible());

    Engine::cLightButton button;
    button.loadXML(layout("Common/upgradeButton.xml"));
    EXPECT_TRUE(button.isEnabled()) << "the button reacts";
    EXPECT_TRUE(button.getIsDeepProcessing()) << "over the building it sits on";

    // The town hall reaches indicator 3, a mill indicator 1.
    const Engine::tPropertiesPtr indicators = layout("Common/upgradeIndicators.xml");
    ASSERT_GE(indicators->getChildCount(), 4u);
    for (unsigned n = 1; n < indicators->getChildCount(); ++n)
    {
        Engine::tPropertiesPtr child;
        ASSERT_TRUE(indicators->getChildAt(n, child));
        Engine::cPicture indicator;
        indicator.loadXML(child);
        EXPECT_TRUE(indicator.isVisible()) << "indicator " << n;
    }

    for (const char* path : {"ui/unitprogress.xml", "UI/autoProgress.xml"})
    {
        cUnitProgressView bar(nullptr, false);
        bar.loadXML(layout(path));
        EXPECT_TRUE(bar.isVisible()) << path;
        EXPECT_TRUE(bar.getSubstrate().isVisible()) << path;
        EXPECT_LT(bar.getSubstrate().getDeep(), bar.getDeep())
            << path << ": the substrate lies under the bar";
    }

    cPointerView arrow(nullptr, Engine::cVector2(0.0f, 0.0f));
    arrow.loadXML(layout("Effects/ObstacleArrow.xml"));
    EXPECT_GT(arrow.getPeriod(), 0.0f);
    EXPECT_TRUE(arrow.isEnabled()) << "the arrow swings in the enabled pass";

    Engine::cView level;
    const int resourceCount = GameConfig::instance().resourceNames().size();
    for (int icon = 0; icon < resourceCount; ++icon)
    {
        auto* text = new cFlyingIconText(&level, Engine::cVector2(0.0f, 0.0f), L"+1", icon, false,
                                         "Effects/FlyingIconText.xml");
        EXPECT_TRUE(text->getIcon()->getTexture()) << "icon " << icon;
        EXPECT_TRUE(text->isEnabled());
        EXPECT_GT(text->getFlyTime(), 0.0f);
    }

    auto* saluts = new cFinishLevelSaluts(&level, "Effects/FinishLevelSaluts.xml");
    EXPECT_TRUE(saluts->isEnabled()) << "the fireworks run in the enabled pass";
    EXPECT_GE(saluts->getPoints().size(), 3u);
    ASSERT_TRUE(saluts->getPrototype());
    EXPECT_TRUE(saluts->getPrototype()->getEmitter()) << "the firework's effect file";
    EXPECT_TRUE(saluts->getPrototype()->isEnabled()) << "copies of a disabled effect draw nothing";
    EXPECT_GT(saluts->getPrototype()->getLiveTime(), 0.0f) << "each firework ends";
}

} // namespace
