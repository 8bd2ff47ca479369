// Every hover box drawn into an OpenGL back buffer under an opaque panel at the depth the level's
// tips are laid out at, as a tip stands over a unit whose box opens: where the panel lies, the
// frame shows none of the box, whether the frame is drawn only where it changed or whole; above
// the panel the box shows. Every part of a box takes part: its panel, texts and pictures, and
// both rows of resources with their icons and numbers, lacking amounts among them.
#include "engine/core/StringUtils.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/core/cXmlProperties.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cPicture.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cIconText.h"
#include "game/hud/cResourceList.h"
#include "game/hud/cTooltipView.h"
#include "game/world/cGameResources.h"
#include "tests/game/hud/hud_test_tools.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int Width = 1024;
constexpr int Height = 768;

cGameResources resources(const std::string& list)
{
    cGameResources set;
    const std::string xml = "<R>" + list + "</R>";
    set.loadXML(Engine::cXmlProperties::fromBuffer(xml.data(), xml.size(), "resources"));
    return set;
}

// The pixels that differ between two drawn screens inside a rectangle of them.
size_t changed(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int left, int top, int right,
               int bottom)
{
    size_t count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += a[y * Width + x] != b[y * Width + x] ? 1 : 0;
    return count;
}

class HoverBoxUnderATip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engine.render) << renderError;
        logic = std::make_unique<Engine::cLogic>(Engine::makeEngineFrameDevices());
        // The windows are read again from the shipped layout over this test's devices.
        TooltipManager::shutdown();
    }

    void TearDown() override
    {
        TooltipManager::shutdown();
        Engine::cControl::deletePending();
        logic.reset();
    }

    // The screen drawn as the frame draws it: only where it changed since the last frame, or
    // with `whole` all of it.
    std::vector<uint32_t> drawn(bool whole)
    {
        if (whole)
            engine.render->redrawNextFrame();
        return HudTest::drawnScreen(*logic, *engine.render);
    }

    std::string renderError;
    HudTest::GameDataEngine engine{[this] { return HudTest::offscreenScreen(renderError); }};
    std::unique_ptr<Engine::cLogic> logic;
};

TEST_F(HoverBoxUnderATip, ATipCoversEveryPartOfEveryHoverBoxDrawnInPartOrWhole)
{
    float tipDeep = 0.0f;
    Engine::readKey(engine.resources->getXml("UI/ModalTutorView.xml", true), L"deep", tipDeep);
    ASSERT_GT(tipDeep, TooltipManager::TipDeep) << "the tips' layout lies over the hover boxes";

    // The box stands at the screen's centre; the panel covers it from a little above its centre
    // down past its bottom, and leaves its top in sight.
    const Engine::cVector2 centre(Width / 2.0f, Height / 2.0f);
    const int left = Width / 2 - 170;
    const int right = Width / 2 + 170;
    const int coverTop = Height / 2 - 8;
    const int coverBottom = Height / 2 + 90;
    const auto cover = std::make_unique<Engine::cPicture>(nullptr);
    cover->setPosition({Width / 2.0f, (coverTop + coverBottom) / 2.0f});
    cover->setSize({static_cast<float>(right - left), static_cast<float>(coverBottom - coverTop)});
    cover->setColorARGB(0xFF3060A0u);
    cover->setDeep(tipDeep);
    cover->show();

    // Three costs, one more than the town has; two goods made.
    const cGameResources in = resources("<Res Name=\"Money\" Count=\"8\"/><Res Name=\"Brick\" Count=\"2\"/>"
                                        "<Res Name=\"Cement\" Count=\"3\"/>");
    const cGameResources out =
        resources("<Res Name=\"Steel\" Count=\"1\"/><Res Name=\"Brick\" Count=\"4\"/>");
    const cGameResources have =
        resources("<Res Name=\"Money\" Count=\"20\"/><Res Name=\"Brick\" Count=\"2\"/>");

    TooltipManager& tips = TooltipManager::instance();
    const Engine::tPropertiesPtr layout = engine.resources->getXml("UI/Tooltip.xml", true);
    const std::vector<uint32_t> under = drawn(true);
    for (int w = 0; w < TooltipManager::WindowCount; ++w)
    {
        const auto window = static_cast<TooltipManager::Window>(w);
        SCOPED_TRACE(Engine::toUtf8(TooltipManager::windowName(window)));
        cTooltipView* box = tips.getWindow(window);
        box->setText(L"UnitName", L"Brick kiln");
        // The rows the box's layout has get their items.
        Engine::tPropertiesPtr node;
        Engine::tPropertiesPtr row;
        ASSERT_TRUE(layout->getChild(TooltipManager::windowName(window), node));
        const bool hasIn = node->getChild(L"in_res", row);
        const bool hasOut = node->getChild(L"out_res", row);
        box->setLists(hasIn ? in : cGameResources(), hasOut ? out : cGameResources(), have);
        // Every picture of the box, tagged or not (a bonus's pictures are shown by the bonus).
        for (Engine::cControl* child : box->getChildren())
            if (auto* picture = dynamic_cast<Engine::cPicture*>(child))
                picture->show();
        box->setPosition(centre);
        box->show();
        for (const auto& [list, count] :
             {std::pair{box->getInList(), hasIn ? 3u : 0u}, std::pair{box->getOutList(), hasOut ? 2u : 0u}})
        {
            ASSERT_EQ(list->getItemCount(), count);
            for (size_t i = 0; i < list->getItemCount(); ++i)
            {
                const cIconText& item = *list->getItems()[i];
                ASSERT_TRUE(item.isShown() && item.getIcon()->isShown()) << "every item drawn";
            }
        }

        for (const bool whole : {false, true})
        {
            SCOPED_TRACE(whole ? "drawn whole" : "drawn where it changed");
            const std::vector<uint32_t> screen = drawn(whole);
            EXPECT_EQ(changed(screen, under, left, coverTop, right, coverBottom), 0u)
                << "pixels of the box drawn over the tip";
            EXPECT_GT(changed(screen, under, left, 0, right, coverTop), 100u)
                << "the box shows above the tip";
        }
        box->hide();
        EXPECT_EQ(changed(drawn(false), under, 0, 0, Width, Height), 0u) << "the box goes";
    }
}

} // namespace
