// Layouts turned into controls: the factory's class names and keys, how an element chooses its
// class, forms finding their parts by tag, and errors that name the file, the element and the
// key.

#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cAnimButton.h"
#include "engine/ui/cButton.h"
#include "engine/ui/cCheckButton.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cForm.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cMeltingText.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cOverlayButton.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPriceText.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cScrollBox.h"
#include "engine/ui/cTextBox.h"
#include "engine/ui/cTextButton.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextMoney.h"
#include "engine/ui/cTextStyleButton.h"
#include "tests/engine/ui/view_test_tools.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

namespace
{

using namespace Engine;
using ViewTest::element;

class Layouts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resources.sizes["ui/ok.png"] = {80, 20};
        resources.start();
    }

    ViewTest::cViewResources resources;
};

TEST_F(Layouts, EveryClassNameMakesItsClass)
{
    EXPECT_EQ(cControlFactory::classKey(L"picture"), 0xD16F79ACu);
    EXPECT_EQ(cControlFactory::classKey(L"p"), 0x9E377A29u);
    EXPECT_EQ(cControlFactory::classKey(L"form"), 0x49A0B724u);
    EXPECT_EQ(cControlFactory::classKey(L"textanimbutton"), 0x88ABBFB4u);
    EXPECT_EQ(cControlFactory::classKey(L"TextAnimButton"), 0x88ABBFB4u);

    const std::vector<std::pair<std::vector<const wchar_t*>, const std::type_info*>> classes = {
        {{L"animbutton", L"animbtn"}, &typeid(cAnimButton)},
        {{L"btn", L"b"}, &typeid(cButton)},
        {{L"f", L"form"}, &typeid(cForm)},
        {{L"lightbutton", L"lightbtn"}, &typeid(cLightButton)},
        {{L"overlaybutton", L"overlaybtn"}, &typeid(cOverlayButton)},
        {{L"picture", L"pic", L"p"}, &typeid(cPicture)},
        {{L"pyro"}, &typeid(cPyro)},
        {{L"textanimbutton", L"textanimbtn"}, &typeid(cTextStyleButton)},
        {{L"textline", L"text", L"t"}, &typeid(cTextLine)},
        {{L"textbutton", L"textbtn"}, &typeid(cTextButton)},
        {{L"checkbutton", L"checkbtn"}, &typeid(cCheckButton)},
        {{L"listbox"}, &typeid(cListBox)},
        {{L"meltingtext"}, &typeid(cMeltingText)},
        {{L"mt", L"mtext", L"multilinetext", L"multietext"}, &typeid(cMultiLineText)},
        {{L"pricetext"}, &typeid(cPriceText)},
        {{L"scrollbox"}, &typeid(cScrollBox)},
        {{L"textbox"}, &typeid(cTextBox)},
        {{L"textmoney"}, &typeid(cTextMoney)},
    };
    cPicture parent;
    for (const auto& [names, type] : classes)
        for (const wchar_t* name : names)
        {
            std::unique_ptr<cControl> control(
                cControlFactory::instance().create(cControlFactory::classKey(name), &parent));
            ASSERT_NE(control, nullptr) << toUtf8(name);
            const cControl& made = *control;
            EXPECT_EQ(typeid(made), *type) << toUtf8(name);
            EXPECT_EQ(control->getParent(), &parent);
        }
    EXPECT_EQ(cControlFactory::instance().create(cControlFactory::classKey(L"nothing"), nullptr), nullptr);

    // The 39 names of the layouts, those of classes made elsewhere included, never share a key.
    const std::vector<std::wstring> all = {L"animbutton",
                                           L"animbtn",
                                           L"border",
                                           L"btn",
                                           L"b",
                                           L"checkbutton",
                                           L"checkbtn",
                                           L"composite",
                                           L"f",
                                           L"form",
                                           L"lightbutton",
                                           L"lightbtn",
                                           L"listbox",
                                           L"meltingtext",
                                           L"mt",
                                           L"mtext",
                                           L"multilinetext",
                                           L"multietext",
                                           L"overlaybutton",
                                           L"overlaybtn",
                                           L"picture",
                                           L"pic",
                                           L"p",
                                           L"pricetext",
                                           L"progressanim",
                                           L"progressfloat",
                                           L"pyro",
                                           L"scrollbox",
                                           L"textanimbutton",
                                           L"textanimbtn",
                                           L"textline",
                                           L"text",
                                           L"t",
                                           L"textbox",
                                           L"textbutton",
                                           L"textbtn",
                                           L"textmoney",
                                           L"textureanimation",
                                           L"textureanim"};
    std::set<uint32_t> keys;
    for (const std::wstring& name : all)
    {
        keys.insert(cControlFactory::classKey(name));
        EXPECT_TRUE(cControlFactory::instance().isRegistered(cControlFactory::classKey(name)))
            << toUtf8(name);
    }
    EXPECT_EQ(keys.size(), 39u);
}

TEST_F(Layouts, AnElementChoosesItsClassByAttributeOrByItsOwnName)
{
    cForm form;
    form.loadXML(element("<f Visible=\"1\">"
                         "<a Tag=\"upper\" Class=\"PICTURE\"/>"
                         "<c Tag=\"both\" Class=\"btn\" class=\"picture\"/>"
                         "<d Tag=\"lower\" class=\"Btn\"/>"
                         "<picture Tag=\"named\"/>"
                         "<Picture Tag=\"capital\"/>"
                         "<PyroEffects/>"
                         "<p Tag=\"dup\" deep=\"1\"/><p Tag=\"dup\" deep=\"2\"/>"
                         "</f>"));
    const auto isA = [&form](const wchar_t* tag, const std::type_info& type)
    {
        const cControl* control = form.findControl(tag);
        return control && typeid(*control) == type;
    };
    EXPECT_TRUE(isA(L"upper", typeid(cPicture)));
    EXPECT_TRUE(isA(L"both", typeid(cButton))) << "\"Class\" wins";
    EXPECT_TRUE(isA(L"lower", typeid(cButton)));
    EXPECT_TRUE(isA(L"named", typeid(cPicture)));
    EXPECT_EQ(form.findControl(L"capital"), nullptr) << "element names are not lower-cased";
    EXPECT_EQ(form.find<cButton>(L"upper"), nullptr);
    // Both made, the first made is found.
    EXPECT_EQ(form.getChildren().size(), 6u);
    EXPECT_EQ(form.find<cPicture>(L"dup")->getDeep(), 1.0f);

    // A part that goes leaves its tag.
    cControl* lower = form.findControl(L"lower");
    delete lower;
    EXPECT_EQ(form.findControl(L"lower"), nullptr);
}

TEST_F(Layouts, AFormsAlphaReachesOnlyItsDirectChildren)
{
    cForm form;
    form.loadXML(
        element("<f><inner Class=\"form\" Tag=\"inner\"><p Tag=\"leaf\"/></inner><p Tag=\"near\"/></f>"));
    form.setAlpha(0.5f);
    EXPECT_EQ(form.find<cView>(L"near")->getAlpha(), 0.5f);
    cForm* inner = form.find<cForm>(L"inner");
    EXPECT_EQ(inner->getAlpha(), 0.5f);
    EXPECT_EQ(inner->find<cView>(L"leaf")->getAlpha(), 0.5f) << "through the inner form's own setAlpha";
    cPicture* stray = new cPicture(inner->find<cView>(L"leaf"));
    form.setAlpha(0.25f);
    EXPECT_EQ(stray->getAlpha(), 1.0f);
}

TEST_F(Layouts, ErrorsNameTheFileTheElementAndTheKey)
{
    // A class no one registered makes nothing, and the rest of the layout loads.
    {
        cForm form;
        form.loadXML(element("<f><ok Class=\"wobble\" Tag=\"ok\"/><p Tag=\"after\"/></f>"));
        EXPECT_EQ(form.findControl(L"ok"), nullptr);
        EXPECT_NE(form.find<cPicture>(L"after"), nullptr);
        EXPECT_EQ(form.getChildren().size(), 1u);
    }

    resources.data("ui/panel.xml",
                   "<Panel><Frame Class=\"form\" Tag=\"frame\"><Ok Class=\"btn\" Tag=\"ok\" "
                   "Picture=\"ui/ok.png\" texture_hover=\"ui/missing.png\"/></Frame></Panel>");
    resources.start();
    cForm form;
    try
    {
        loadLayout(form, "ui/panel.xml");
        FAIL() << "a missing texture loads";
    }
    catch (const cStringA& text)
    {
        EXPECT_EQ(text,
                  "Layout \"ui/panel.xml\": element with Tag \"frame\" (class \"form\"): element with Tag "
                  "\"ok\" (class \"btn\"): File \"ui/missing.png\" not found.");
    }

    // Values are read as the text conversions read them: a number as far as it goes, a text
    // that begins with no value leaves the target; a bad value is no error.
    float value = 3.0f;
    const tPropertiesPtr node =
        element("<v a=\"1.5\" c=\"\" v=\"3\" w=\"3,4\" t=\"true\" n=\"12abc\" f=\"1x\"/>");
    EXPECT_TRUE(readKey(node, L"a", value));
    EXPECT_EQ(value, 1.5f);
    EXPECT_FALSE(readKey(node, L"c", value));
    EXPECT_EQ(value, 1.5f);
    EXPECT_TRUE(readKey(node, L"t", value));
    EXPECT_EQ(value, 1.5f) << "a word leaves the number";
    int whole = 0;
    EXPECT_TRUE(readKey(node, L"n", whole));
    EXPECT_EQ(whole, 12);
    cVector2 vector(7, 8);
    EXPECT_TRUE(readKey(node, L"v", vector));
    EXPECT_EQ(vector, cVector2(3, 8)) << "one component of two";
    EXPECT_TRUE(readKey(node, L"w", vector));
    EXPECT_EQ(vector, cVector2(3, 4));
    bool flag = false;
    EXPECT_TRUE(readKey(node, L"t", flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(readKey(node, L"f", flag));
    EXPECT_TRUE(flag) << "1 followed by more";
    // A button with a misspelt flag loads, its flag as it was.
    cForm misspelt;
    misspelt.loadXML(element("<f><ok Class=\"btn\" Tag=\"ok\" IsDeepProcessing=\"yes\"/></f>"));
    ASSERT_NE(misspelt.find<cButton>(L"ok"), nullptr);
    EXPECT_FALSE(misspelt.find<cButton>(L"ok")->getIsDeepProcessing());
}

} // namespace
