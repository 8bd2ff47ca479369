// Views read from layout elements, copied, and given another view's properties.

#include "engine/core/cControl.h"
#include "engine/core/cString.h"
#include "engine/devices/RenderTypes.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cView.h"
#include "tests/engine/ui/view_test_tools.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using Engine::cColor;
using Engine::cPicture;
using Engine::cVector2;
using Engine::cVector3;
using Engine::cView;
using ViewTest::element;

constexpr float DegreesToRadians = 3.14159265358979323846f / 180.0f;

class ViewLoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resources.sizes["ui/button.png"] = {120, 40, 128, 64};
        resources.sizes["ui/sheet.png"] = {256, 256};
        resources.start();
    }

    ViewTest::cViewResources resources;
};

TEST_F(ViewLoad, AFreshViewHasTheDefaults)
{
    cView view;
    EXPECT_EQ(view.getPosition(), cVector2(0, 0));
    EXPECT_EQ(view.getSize(), cVector2(1, 1));
    EXPECT_EQ(view.getTile(), cVector2(0, 0));
    EXPECT_EQ(view.getAngle(), 0.0f);
    EXPECT_EQ(view.getColor(), cColor(1, 1, 1, 1));
    EXPECT_EQ(view.getAlpha(), 1.0f);
    EXPECT_EQ(view.getScale(), cVector3(1, 1, 1));
    EXPECT_EQ(view.getRenderType(), 0u);
    EXPECT_EQ(view.getAmbientColor(), cColor(1, 1, 1, 1));
    EXPECT_EQ(view.getPower(), 0.0f);
    EXPECT_EQ(view.getAnimBlendTime(), 0.15f);
    EXPECT_FALSE(view.getIsAniblend());
    EXPECT_FALSE(view.getMultiSprites());
    EXPECT_EQ(view.getAtlasIndex(), -1);
    EXPECT_EQ(view.anim_length, 1.0f);
    EXPECT_EQ(view.frames_count, 1u);
    EXPECT_TRUE(view.anim_loop);
    EXPECT_FALSE(view.PlayAnimation);
    EXPECT_FALSE(view.getTexture());
    EXPECT_TRUE(view.isDirty());
    EXPECT_EQ(view.getTransparency(), 1.0f);
}

TEST_F(ViewLoad, EveryKeyReachesItsSetting)
{
    cView view;
    view.loadXML(element(
        "<v Visible=\"1\" deep=\"12.5\" position=\"100,200\" size=\"30,40\" angle=\"45\" tile=\"8,0\" "
        "color=\"FF804020\" alpha=\"0.5\" RenderType=\"0x21\" InverceX=\"1\" InverceY=\"1\" "
        "DoubleAnimRender=\"1\" MultiSprites=\"1\" pitch=\"90\" yaw=\"180\" scale=\"2,3,4\" "
        "LightingEnable=\"1\" LightTable=\"3\" AmbientColor=\"FF102030\" SpecularColor=\"FF405060\" "
        "EmissiveColor=\"FF708090\" Power=\"7\" AnimBlendTime=\"0.4\" IsAniblend=\"1\" "
        "anim_length=\"2\" PlayAnimation=\"1\" frames_count=\"6\" anim_loop=\"0\" anim_columns=\"3\" "
        "anim_rows=\"2\"/>"));
    EXPECT_TRUE(view.isShown());
    EXPECT_TRUE(cView::isInRenderRegistry(&view));
    EXPECT_EQ(view.getDeep(), 12.5f);
    EXPECT_EQ(view.getPosition(), cVector2(100, 200));
    EXPECT_EQ(view.getSize(), cVector2(30, 40));
    EXPECT_EQ(view.getAngle(), 45.0f);
    EXPECT_EQ(view.getTile(), cVector2(8, 0));
    cColor color = cColor::fromARGB(0xFF804020u);
    color.a = 0.5f;
    EXPECT_EQ(view.getColor(), color) << "alpha is read after the colour";
    EXPECT_EQ(view.getRenderType(), 0x21u) << "only a tile in both directions adds mirroring";
    EXPECT_TRUE(view.getInverceX());
    EXPECT_TRUE(view.getInverceY());
    EXPECT_TRUE(view.getDoubleAnimRender());
    EXPECT_TRUE(view.getMultiSprites());
    EXPECT_FLOAT_EQ(view.getPitch(), 90.0f * DegreesToRadians);
    EXPECT_FLOAT_EQ(view.getYaw(), 180.0f * DegreesToRadians);
    EXPECT_EQ(view.getScale(), cVector3(2, 3, 4));
    EXPECT_TRUE(view.getLightingEnable());
    EXPECT_EQ(view.getLightTable(), 3);
    EXPECT_EQ(view.getAmbientColor(), cColor::fromARGB(0xFF102030u));
    EXPECT_EQ(view.getSpecularColor(), cColor::fromARGB(0xFF405060u));
    EXPECT_EQ(view.getEmissiveColor(), cColor::fromARGB(0xFF708090u));
    EXPECT_EQ(view.getPower(), 7.0f);
    EXPECT_FLOAT_EQ(view.getAnimBlendTime(), 0.4f);
    EXPECT_TRUE(view.getIsAniblend());
    EXPECT_EQ(view.anim_length, 2.0f);
    EXPECT_TRUE(view.PlayAnimation);
    EXPECT_EQ(view.frames_count, 6u);
    EXPECT_FALSE(view.anim_loop);
    EXPECT_EQ(view.anim_columns, 3u);
    EXPECT_EQ(view.anim_rows, 2u);
    EXPECT_TRUE(view.isDirty());

    view.loadXML(element("<v tile=\"16,16\" RenderType=\"32\"/>"));
    EXPECT_EQ(view.getRenderType(), 0x20u | Engine::eRenderType::Mirror);
}

TEST_F(ViewLoad, MissingKeysKeepTheSettingsButNotTheDeepOrTheResources)
{
    cView parent;
    auto* child = new cView(&parent);
    child->setDeep(4.0f);
    parent.setDeep(10.0f);
    parent.setPosition({5.0f, 6.0f});
    parent.setSize({7.0f, 8.0f});
    parent.anim_columns = 4;
    parent.frames_count = 4;
    parent.setTexture(std::string("ui/sheet.png"));
    parent.show();

    parent.loadXML(element("<v/>"));
    // A missing "Visible" hides; a missing "deep" is 0 and moves the children with it.
    EXPECT_FALSE(parent.isShown());
    EXPECT_EQ(parent.getDeep(), 0.0f);
    EXPECT_EQ(child->getDeep(), 4.0f);
    EXPECT_EQ(parent.getPosition(), cVector2(5, 6));
    EXPECT_EQ(parent.getSize(), cVector2(7, 8));
    EXPECT_EQ(parent.anim_columns, 4u);
    EXPECT_EQ(parent.frames_count, 4u);
    EXPECT_FALSE(parent.getTexture()) << "no \"Picture\": no texture";
}

TEST_F(ViewLoad, RelposPlacesAViewByItsParentView)
{
    cView parent;
    parent.setPosition({300.0f, 200.0f});
    cView* child = new cView(&parent);
    child->loadXML(element("<v position=\"1,1\" relpos=\"-10,20\"/>"));
    EXPECT_EQ(child->getPosition(), cVector2(290, 220));

    cView root;
    root.loadXML(element("<v position=\"1,1\" relpos=\"-10,20\"/>"));
    EXPECT_EQ(root.getPosition(), cVector2(1, 1));
}

TEST_F(ViewLoad, ASingleFramePictureTakesThePictureSize)
{
    cPicture picture;
    picture.loadXML(element("<p Picture=\"UI/Button.png\"/>"));
    ASSERT_TRUE(picture.getTexture());
    EXPECT_EQ(picture.getTextureName(), "UI/Button.png");
    EXPECT_EQ(picture.getSize(), cVector2(120, 40)) << "the image, not the enlarged texture";

    cPicture sized;
    sized.loadXML(element("<p Picture=\"ui/button.png\" size=\"10,10\"/>"));
    EXPECT_EQ(sized.getSize(), cVector2(10, 10));

    cPicture sheet;
    sheet.loadXML(
        element("<p Picture=\"ui/sheet.png\" frames_count=\"4\" anim_columns=\"2\" anim_rows=\"2\"/>"));
    EXPECT_EQ(sheet.getSize(), cVector2(1, 1));
}

TEST(ViewLoadAtlas, AnAtlasPictureTakesTheSizeOfItsRegion)
{
    ViewTest::cViewResources atlas;
    atlas.data("atlases.xml", "<Atlases><Atlas Path=\"atlas/a.png\" Map=\"atlas/a_map.xml\"/></Atlases>");
    atlas.data("atlas/a_map.xml",
               "<Map><Entry Name=\"ui/icon.png\"><Pos>10 20</Pos><Size>48 24</Size></Entry></Map>");
    atlas.sizes["atlas/a.png"] = {512, 512};
    atlas.start();

    cPicture picture;
    picture.loadXML(element("<p Picture=\"ui/icon.png\"/>"));
    EXPECT_EQ(picture.getAtlasIndex(), 0);
    EXPECT_EQ(picture.getSize(), cVector2(48, 24));
}

TEST_F(ViewLoad, TheSheetIsKeptWithinItsCells)
{
    cView view;
    view.loadXML(element("<v frames_count=\"10\" anim_columns=\"3\" anim_rows=\"3\"/>"));
    EXPECT_EQ(view.frames_count, 9u);
    view.loadXML(element("<v frames_count=\"0\" anim_columns=\"0\" anim_rows=\"0\"/>"));
    EXPECT_EQ(view.anim_columns, 1u);
    EXPECT_EQ(view.anim_rows, 1u);
    EXPECT_EQ(view.frames_count, 1u);
}

TEST_F(ViewLoad, AMissingTextureIsAnErrorNamingTheFile)
{
    cPicture picture;
    try
    {
        picture.loadXML(element("<p Picture=\"ui/nothing.png\"/>"));
        FAIL() << "no error";
    }
    catch (const Engine::cString<std::string>& error)
    {
        EXPECT_NE(error.find("ui/nothing.png"), std::string::npos) << error;
    }
}

TEST_F(ViewLoad, ACopyHasTheDrawingSettingsAndItsOwnSignal)
{
    cPicture source;
    source.loadXML(element(
        "<p Visible=\"1\" Picture=\"ui/sheet.png\" deep=\"3\" position=\"10,20\" size=\"30,40\" angle=\"5\" "
        "tile=\"4,4\" color=\"FF112233\" alpha=\"0.25\" InverceX=\"1\" MultiSprites=\"1\" "
        "scale=\"2,2,2\" yaw=\"10\" pitch=\"20\" LightingEnable=\"1\" Power=\"3\" "
        "AnimBlendTime=\"0.5\" IsAniblend=\"1\" anim_columns=\"2\" frames_count=\"2\"/>"));
    source.setAnimTime(0.75f);
    source.setAlphaField(77);
    int raised = 0;
    source.positionChangedSignal.connect([&](cView*) { ++raised; });
    source.getSprites();

    cPicture copy(source);
    EXPECT_EQ(copy.getKind(), 2);
    EXPECT_EQ(copy.getParent(), nullptr);
    EXPECT_EQ(copy.getTexture(), source.getTexture());
    EXPECT_EQ(copy.anim_columns, 2u);
    EXPECT_EQ(copy.getDeep(), 3.0f);
    EXPECT_EQ(copy.getPosition(), cVector2(10, 20));
    EXPECT_EQ(copy.getSize(), cVector2(30, 40));
    EXPECT_EQ(copy.getAngle(), 5.0f);
    EXPECT_EQ(copy.getTile(), cVector2(4, 4));
    EXPECT_EQ(copy.getRenderType(), source.getRenderType());
    EXPECT_EQ(copy.getColor(), source.getColor());
    EXPECT_EQ(copy.getAnimTime(), 0.75f);
    EXPECT_EQ(copy.getAlphaField(), 77u);
    EXPECT_TRUE(copy.getInverceX());
    EXPECT_TRUE(copy.getMultiSprites());
    EXPECT_EQ(copy.getScale(), cVector3(2, 2, 2));
    EXPECT_EQ(copy.getYaw(), source.getYaw());
    EXPECT_EQ(copy.getPitch(), source.getPitch());
    EXPECT_TRUE(copy.getLightingEnable());
    EXPECT_EQ(copy.getPower(), 3.0f);
    EXPECT_EQ(copy.getAnimBlendTime(), 0.5f);
    EXPECT_TRUE(copy.getIsAniblend());
    EXPECT_TRUE(copy.isDirty());
    // The copy draws what the source draws.
    ASSERT_EQ(copy.getSprites().size(), source.getSprites().size());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(copy.getSprites().begin()->corners[i].color, source.getSprites().begin()->corners[i].color);

    copy.setPosition({1.0f, 1.0f});
    EXPECT_EQ(raised, 0);
    EXPECT_EQ(source.getPosition(), cVector2(10, 20));
}

TEST_F(ViewLoad, CopyPropertiesLeavesTheColourTileAndSpriteModes)
{
    cView other;
    other.setTexture(std::string("ui/sheet.png"));
    other.anim_columns = 4;
    other.setAngle(30.0f);
    other.setAlpha(0.5f);
    other.setColor(cColor(0.1f, 0.2f, 0.3f, 0.5f));
    other.setPosition({40.0f, 50.0f});
    other.setSize({6.0f, 7.0f});
    other.setRenderType(0x800);
    other.setAnimTime(0.25f);
    other.setTile({2.0f, 2.0f});
    other.setMultiSprites(true);
    other.setDoubleAnimRender(true);
    other.setIsAniblend(true);
    other.setDeep(9.0f);

    cView view;
    auto* child = new cView(&view);
    view.setColor(cColor(1.0f, 0.0f, 0.0f, 1.0f));
    view.getSprite();
    view.copyProperties(other);
    EXPECT_EQ(view.getTexture(), other.getTexture());
    EXPECT_EQ(view.anim_columns, 4u);
    EXPECT_EQ(view.getAngle(), 30.0f);
    EXPECT_EQ(view.getColor(), cColor(1.0f, 0.0f, 0.0f, 0.5f)) << "only the alpha";
    EXPECT_EQ(view.getPosition(), cVector2(40, 50));
    EXPECT_EQ(view.getSize(), cVector2(6, 7));
    EXPECT_EQ(view.getRenderType(), 0x800u);
    EXPECT_EQ(view.getAnimTime(), 0.25f);
    EXPECT_EQ(view.getTile(), cVector2(0, 0));
    EXPECT_FALSE(view.getMultiSprites());
    EXPECT_FALSE(view.getDoubleAnimRender());
    EXPECT_FALSE(view.getIsAniblend());
    EXPECT_EQ(view.getDeep(), 9.0f);
    EXPECT_EQ(child->getDeep(), 9.0f) << "the deep is applied with setDeep";
    EXPECT_TRUE(view.isDirty());
}

} // namespace
