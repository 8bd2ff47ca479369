// The decorations that move and end by themselves (path effects, fireworks, flying texts), the
// pointer arrow, the unit progress bar and the game's sound table, stepped with a frame timer
// the test sets, over the game's data folder.
#include "engine/core/FileUtils.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cSoundChannel.h"
#include "engine/ui/cTextLine.h"
#include "game/hud/cFinishLevelSaluts.h"
#include "game/hud/cFlyingIconText.h"
#include "game/hud/cPathEffect.h"
#include "game/hud/cPointerView.h"
#include "game/hud/cUnitProgressView.h"
#include "game/world/cGameSounds.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace GameTest;

namespace
{

class FieldEffects : public ::testing::Test
{
protected:
    // A file of the test's own in the shared folder, which the data folder's files give way to.
    static void write(const std::string& path, const std::string& xml)
    {
        Engine::writeWholeFile(path, xml.data(), xml.size());
    }

    // One frame of the enabled pass and the deletions it queued.
    void frame(float dt)
    {
        fixture.timer.frameTime = dt;
        Engine::cControl::enabledPass();
        Engine::cControl::deletePending();
    }

    static Engine::tPropertiesPtr xml(const std::string& text)
    {
        return Engine::cXmlProperties::fromBuffer(text.data(), text.size(), "test.xml");
    }

    static void expectNear(const Engine::cVector2& actual, const Engine::cVector2& expected)
    {
        EXPECT_NEAR(actual.x, expected.x, 1e-3f);
        EXPECT_NEAR(actual.y, expected.y, 1e-3f);
    }

    GameFixture fixture;
    Engine::cView layer;
};

TEST_F(FieldEffects, APathEffectTravelsItsPointsAtItsSpeedAndGoesAfterItsDelay)
{
    write("effects/path.xml",
          "<E Enable=\"1\" Visible=\"1\" Speed=\"10\" Delay=\"0.5\"><PtList><P position=\"0;0\"/>"
          "<P position=\"20;0\"/><P position=\"20;10\"/></PtList></E>");
    layer.show();
    layer.enable();
    auto* effect = new cPathEffect(&layer, Engine::cVector2(100.0f, 100.0f), "Effects/path.xml");
    EXPECT_EQ(effect->getKind(), 5);
    EXPECT_EQ(effect->getPosition(), Engine::cVector2(100.0f, 100.0f));
    frame(1.0f);
    expectNear(effect->getPosition(), Engine::cVector2(110.0f, 100.0f));
    frame(1.0f);
    // At the end of a segment: the next segment's start.
    expectNear(effect->getPosition(), Engine::cVector2(120.0f, 100.0f));
    frame(0.5f);
    expectNear(effect->getPosition(), Engine::cVector2(120.0f, 105.0f));
    frame(0.5f);
    EXPECT_TRUE(effect->hasArrived());
    frame(0.5f);
    EXPECT_TRUE(Engine::cControl::isAlive(effect)) << "the delay runs down";
    frame(0.1f);
    EXPECT_FALSE(Engine::cControl::isAlive(effect));

    // No points: it stays where it starts and goes after its delay; "Delay" 0 goes at once.
    write("effects/still.xml", "<E Enable=\"1\" Visible=\"1\" Speed=\"10\" Delay=\"0.3\"/>");
    auto* still = new cPathEffect(&layer, Engine::cVector2(7.0f, 8.0f), "Effects/still.xml");
    frame(0.2f);
    EXPECT_EQ(still->getPosition(), Engine::cVector2(7.0f, 8.0f));
    frame(0.2f);
    frame(0.0f);
    EXPECT_FALSE(Engine::cControl::isAlive(still));

    // Without a speed it would never arrive: it jumps to the end of its path.
    write("effects/stuck.xml",
          "<E Enable=\"1\" Visible=\"1\" Speed=\"0\" Delay=\"0\"><PtList><P position=\"0;0\"/>"
          "<P position=\"5;5\"/></PtList></E>");
    auto* stuck = new cPathEffect(&layer, Engine::cVector2(0.0f, 0.0f), "Effects/stuck.xml");
    EXPECT_EQ(stuck->getPosition(), Engine::cVector2(5.0f, 5.0f));
    frame(0.1f);
    EXPECT_FALSE(Engine::cControl::isAlive(stuck));
}

TEST_F(FieldEffects, FireworksGoOffOneByOneAndTheObjectGoesAfterTheLast)
{
    write("effects/saluts.xml",
          "<F Visible=\"1\" Enable=\"1\" random_delay=\"0.5;0.5\"><PtList><P position=\"1;2\"/>"
          "<P position=\"3;4\"/></PtList></F>");
    layer.show();
    layer.enable();
    auto* saluts = new cFinishLevelSaluts(&layer, "Effects/saluts.xml");
    ASSERT_EQ(saluts->getPoints().size(), 2u);
    frame(0.1f);
    EXPECT_EQ(saluts->getFired(), 1u) << "the first in the first frame";
    frame(0.3f);
    frame(0.3f);
    EXPECT_EQ(saluts->getFired(), 1u);
    frame(0.1f);
    EXPECT_EQ(saluts->getFired(), 2u);
    frame(0.1f);
    EXPECT_FALSE(Engine::cControl::isAlive(saluts));

    write("effects/none.xml", "<F Visible=\"1\" Enable=\"1\" random_delay=\"0.5;0.5\"/>");
    auto* none = new cFinishLevelSaluts(&layer, "Effects/none.xml");
    frame(0.1f);
    EXPECT_FALSE(Engine::cControl::isAlive(none)) << "no points: gone in the first update";
}

TEST_F(FieldEffects, AFlyingTextRisesItsWayInItsTimeWhileItFadesThenGoes)
{
    write("effects/fly.xml",
          "<T Visible=\"1\" Enable=\"1\" offset=\"2;3\" fly_up_dir=\"0;-60\" fly_up_time=\"1\" "
          "random_radius=\"5\"><Text Visible=\"1\" position=\"10;0\"/><Icons><I size=\"1;1\"/>"
          "<I size=\"2;2\" Visible=\"1\"/></Icons></T>");
    layer.show();
    layer.enable();
    auto* text =
        new cFlyingIconText(&layer, Engine::cVector2(100.0f, 200.0f), L"+4", 1, false, "Effects/fly.xml");
    EXPECT_EQ(text->getPosition(), Engine::cVector2(102.0f, 203.0f));
    EXPECT_EQ(text->getText(), L"+4");
    EXPECT_EQ(text->getIcon()->getSize(), Engine::cVector2(2.0f, 2.0f)) << "icon number 1";
    EXPECT_EQ(text->getDisabledTextColor().toARGB(), 0xFFFF6060u);
    EXPECT_EQ(text->getTextLine()->getPosition(), Engine::cVector2(112.0f, 203.0f));
    for (int i = 0; i < 3; ++i)
        frame(0.25f);
    expectNear(text->getPosition(), Engine::cVector2(102.0f, 158.0f));
    EXPECT_FLOAT_EQ(text->getAlpha(), 0.25f);
    EXPECT_FLOAT_EQ(text->getTextLine()->getAlpha(), 0.25f);
    frame(0.25f);
    EXPECT_FALSE(Engine::cControl::isAlive(text)) << "gone when its time is up";

    auto* spread =
        new cFlyingIconText(&layer, Engine::cVector2(0.0f, 0.0f), L"+1", 0, true, "Effects/fly.xml");
    EXPECT_LE(std::abs(spread->getPosition().x - 2.0f), 5.0f);
    EXPECT_LE(std::abs(spread->getPosition().y - 3.0f), 5.0f);

    write("effects/instant.xml", "<T Visible=\"1\" Enable=\"1\" fly_up_time=\"0\"/>");
    auto* instant =
        new cFlyingIconText(&layer, Engine::cVector2(0.0f, 0.0f), L"+1", 0, false, "Effects/instant.xml");
    frame(0.1f);
    EXPECT_FALSE(Engine::cControl::isAlive(instant)) << "no time to fly: gone at once";
}

TEST_F(FieldEffects, ThePointerSwingsAboutTheMiddleOfItsEnds)
{
    cPointerView arrow(nullptr, Engine::cVector2(100.0f, 100.0f));
    arrow.loadXML(xml("<A PointerLeftUp=\"0;-30\" PointerRightDown=\"0;-10\" PointerPeriod=\"2\"/>"));
    fixture.timer.frameTime = 0.5f;
    arrow.update();
    // A quarter of the period: the full distance from the middle.
    expectNear(arrow.getPosition(), Engine::cVector2(100.0f, 100.0f));
    fixture.timer.frameTime = 1.5f;
    arrow.update();
    EXPECT_FLOAT_EQ(arrow.phaseTime, 2.0f) << "equal to the period: nothing is taken off";
    fixture.timer.frameTime = 4.5f;
    arrow.update();
    EXPECT_FLOAT_EQ(arrow.phaseTime, 4.5f) << "one period off per frame";

    cPointerView still(nullptr, Engine::cVector2(10.0f, 10.0f));
    still.loadXML(xml("<A PointerLeftUp=\"3;4\" PointerRightDown=\"3;4\" PointerPeriod=\"1\"/>"));
    still.update();
    EXPECT_EQ(still.getPosition(), Engine::cVector2(13.0f, 14.0f));
    cPointerView noPeriod(nullptr, Engine::cVector2(10.0f, 10.0f));
    noPeriod.loadXML(xml("<A PointerLeftUp=\"0;0\" PointerRightDown=\"0;8\"/>"));
    noPeriod.update();
    EXPECT_EQ(noPeriod.getPosition(), Engine::cVector2(10.0f, 14.0f)) << "no period: it stands in the middle";
}

TEST_F(FieldEffects, TheProgressBarCarriesItsSubstrateAndCanCountDown)
{
    const std::string layout =
        "<P ProgressMaxValue=\"100\" ProgressCurrentValue=\"30\" Side=\"1\" size=\"40;6\">"
        "<Substrate size=\"44;10\" Visible=\"1\"/></P>";
    cUnitProgressView bar(nullptr, false);
    bar.loadXML(xml(layout));
    EXPECT_FLOAT_EQ(bar.getCurrentValue(), 30.0f);
    EXPECT_EQ(bar.getSubstrate().getSize(), Engine::cVector2(44.0f, 10.0f));
    EXPECT_EQ(bar.getSubstrate().getParent(), &bar);
    bar.setInverceX(true);
    EXPECT_TRUE(bar.getInverceX());
    EXPECT_TRUE(bar.getSubstrate().getInverceX()) << "mirrored alike";

    cUnitProgressView reversed(nullptr, true);
    reversed.loadXML(xml(layout));
    EXPECT_FLOAT_EQ(reversed.getCurrentValue(), 70.0f);

    cUnitProgressView bare(nullptr, false);
    EXPECT_THROW(bare.loadXML(xml("<P/>")), const wchar_t*);
}

TEST_F(FieldEffects, TheSoundTableKeepsOneMusicAndCoolsEachIdDown)
{
    cGameSounds& sounds = *fixture.sounds;
    sounds.playMusic("map_music", false);
    const auto map = sounds.getMusic();
    ASSERT_TRUE(map);
    const int starts = fixture.mixer->count("play");
    sounds.playMusic("map_music", false);
    EXPECT_EQ(sounds.getMusic(), map) << "the music that plays goes on";
    EXPECT_EQ(fixture.mixer->count("play"), starts);
    sounds.playMusic("map_music", true);
    EXPECT_NE(sounds.getMusic(), map) << "forced: it starts again";
    sounds.playMusic("town_music", false);
    EXPECT_EQ(sounds.getMusic()->getSample(), sounds.getSample("town_music"));
    sounds.stopMusic();
    EXPECT_FALSE(sounds.getMusic());
    sounds.stopMusic();

    // No cooldown plays again at once, and the id is listed twice without harm.
    const int plays = fixture.mixer->count("play");
    sounds.playSingle("bonus_finish", 0.0f, 0.0f);
    sounds.playSingle("bonus_finish", 0.0f, 0.0f);
    EXPECT_EQ(fixture.mixer->count("play"), plays + 2);
    sounds.updateCooldowns();
    // A random extra part stays within its range.
    sounds.playSingle("save_animal", 0.2f, 0.3f);
    EXPECT_GE(sounds.getCooldown("save_animal"), 0.2f);
    EXPECT_LE(sounds.getCooldown("save_animal"), 0.5f);
    EXPECT_TRUE(sounds.playLooped("save_animal"));
    EXPECT_THROW(sounds.playMusicLooped("thunder"), std::string);

    try
    {
        sounds.loadXML(
            xml("<S><A id=\"x\" path=\"sounds/coin.wav\"/><B id=\"x\" path=\"sounds/coin.wav\"/></S>"));
        ADD_FAILURE() << "a duplicated id must fail";
    }
    catch (const std::string& text)
    {
        EXPECT_EQ(text, "cGameSounds::loadXML(): duplicated sound id: x");
    }
    try
    {
        cGameSounds second;
        ADD_FAILURE() << "one table only";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "Object already exist.");
    }
}

} // namespace
