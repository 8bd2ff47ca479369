// The input controls and dialogs driven through input events: the list box's scrolling and
// selection, the slider's mapping, the check button's toggle, the animated dialog's fades and
// the yes/no dialog's keys, pause and blocked control.

#include "engine/ui/cAnimDialog.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cCheckButton.h"
#include "engine/ui/cListBox.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cScrollBox.h"
#include "engine/ui/cTextButton.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cYesNo.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/engine/ui/view_test_tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;
using ViewTest::element;

const std::string FontKeys = "Font=\"fonts/t.fnt\" Texture=\"fonts/t.png\" Multiplier=\"1\"";

class InputControls : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resources.sizes["fonts/t.png"] = {100, 100};
        resources.data("fonts/t.fnt", UiTest::fontBytes(L"0123456789YesNo", 10, 20, 100));
        resources.data("ui/question.xml",
                       "<YesNo ShowTime=\"0.5\" HideTime=\"0.5\" PauseYes=\"2\"><Background>"
                       "<Back position=\"500,300\" size=\"300,200\" deep=\"100\" Visible=\"1\"/></Background>"
                       "<Text " +
                           FontKeys +
                           " position=\"500,260\" size=\"260,60\" deep=\"101\" Visible=\"1\" Enable=\"1\"/>"
                           "<YesButton position=\"430,340\" size=\"100,40\" deep=\"101\" Visible=\"1\" "
                           "Enable=\"1\"><Text " +
                           FontKeys +
                           " String=\"Yes\"/></YesButton>"
                           "<NoButton position=\"570,340\" size=\"100,40\" deep=\"101\" Visible=\"1\" "
                           "Enable=\"1\"><Text " +
                           FontKeys + " String=\"No\"/></NoButton></YesNo>");
        resources.start();
    }
    void TearDown() override
    {
        root.reset();
        cControl::deletePending();
        cButtonPrototype::buttonUnderPointer = nullptr;
    }

    template <class T> T& load(const std::string& xml)
    {
        auto control = std::make_unique<T>();
        control->loadXML(element(xml));
        T& made = *control;
        root = std::move(control);
        return made;
    }

    // Presses and releases a key, and runs a frame.
    void key(uint8_t code)
    {
        frames.script->keyDown(code);
        frames.script->keyUp(code);
        frames.frame();
    }

    ViewTest::cViewResources resources;
    UiTest::cFrames frames;
    std::unique_ptr<cControl> root;
};

TEST_F(InputControls, AListShowsTheRowsThatFitAndScrollsByOne)
{
    cListBox& list = load<cListBox>(
        "<listbox Visible=\"1\" Enable=\"1\" position=\"300,300\" Interlinear=\"50\" TopLeft=\"0,0\" "
        "BottomRight=\"0,250\"><Button size=\"200,40\" Visible=\"1\" Enable=\"1\"><Text " +
        FontKeys +
        "/></Button><UpButton position=\"450,200\" size=\"20,20\" Visible=\"1\" Enable=\"1\"/>"
        "<DownButton position=\"450,400\" size=\"20,20\" Visible=\"1\" Enable=\"1\"/>"
        "<Strings Count=\"3\" str0=\"0\" str1=\"1\" str2=\"2\"/></listbox>");
    ASSERT_EQ(list.getItemCount(), 3u);
    EXPECT_FALSE(list.getUpButton()->isVisible());
    EXPECT_FALSE(list.getDownButton()->isVisible()) << "fewer rows than fit need no scrolling";
    for (int i = 3; i < 12; ++i)
        list.addItem(std::to_wstring(i));
    EXPECT_FALSE(list.getRowTemplate()->isVisible());

    const auto shown = [&list]
    {
        std::vector<std::wstring> out;
        for (uint32_t i = 0; i < list.getItemCount(); ++i)
            if (list.getRow(i)->isVisible())
                out.push_back(list.getItemText(i));
        return out;
    };
    EXPECT_EQ(shown(), (std::vector<std::wstring>{L"0", L"1", L"2", L"3", L"4"}));
    EXPECT_FLOAT_EQ(list.getRow(0)->getPosition().y, 300.0f - 125.0f + 25.0f);
    EXPECT_FLOAT_EQ(list.getRow(4)->getPosition().y, 400.0f);
    EXPECT_FALSE(list.getUpButton()->isVisible());
    EXPECT_TRUE(list.getDownButton()->isVisible());
    for (int i = 0; i < 7; ++i)
    {
        frames.moveTo(450, 400);
        frames.click();
    }
    EXPECT_EQ(list.getFirstRow(), 7u);
    EXPECT_EQ(shown(), (std::vector<std::wstring>{L"7", L"8", L"9", L"10", L"11"}));
    EXPECT_TRUE(list.getUpButton()->isVisible());
    EXPECT_FALSE(list.getDownButton()->isVisible());
    list.scrollDown();
    EXPECT_EQ(list.getFirstRow(), 7u) << "an eighth scroll does nothing";
    EXPECT_FLOAT_EQ(list.getRow(7)->getPosition().y, 200.0f);
    EXPECT_EQ(list.getRow(7)->getCaption()->getPosition(), list.getRow(7)->getPosition());

    // A click on a row reports its index.
    std::vector<uint32_t> picked;
    list.selectionSignal.connect([&picked](uint32_t index, cListBox*) { picked.push_back(index); });
    frames.moveTo(300, 300);
    frames.click();
    EXPECT_EQ(picked, std::vector<uint32_t>{9});
    EXPECT_EQ(list.getItemText(12), L"") << "an index past the last row";

    // Rows without a distance between them all show, without a division by zero.
    list.setInterlinear(0.0f);
    list.refresh();
    EXPECT_EQ(shown().size(), 12u);
    list.clear();
    EXPECT_EQ(list.getItemCount(), 0u);
    EXPECT_FALSE(list.getUpButton()->isVisible());
}

TEST_F(InputControls, ASliderMapsThePointerOntoItsRangeAndStopsAtItsEnds)
{
    cScrollBox& slider = load<cScrollBox>("<scrollbox Visible=\"1\" Enable=\"1\" position=\"300,100\" "
                                          "size=\"200,20\" Min=\"-1\" Max=\"3\" Value=\"1\" Layout=\"0\">"
                                          "<Slider size=\"10,20\" Visible=\"1\" Enable=\"1\"/></scrollbox>");
    EXPECT_EQ(slider.getThumb()->getPosition(), cVector2(300.0f, 100.0f));
    std::vector<bool> drags;
    std::vector<float> values;
    slider.dragSignal.connect([&drags](bool on) { drags.push_back(on); });
    slider.valueSignal.connect([&values](float value) { values.push_back(value); });

    // Pressing the thumb (the track under it too) starts one drag.
    frames.moveTo(300, 100);
    frames.press();
    frames.moveTo(250, 100);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.0f);
    EXPECT_FLOAT_EQ(slider.getThumb()->getPosition().x, 250.0f);
    frames.moveTo(-50, 100);
    EXPECT_EQ(slider.getValue(), -1.0f) << "exactly the minimum past the left end";
    frames.moveTo(900, 120);
    EXPECT_EQ(slider.getValue(), 3.0f) << "exactly the maximum past the right end";
    EXPECT_FLOAT_EQ(slider.getThumb()->getPosition().x, 400.0f);
    frames.release();
    frames.moveTo(300, 100);
    EXPECT_EQ(slider.getValue(), 3.0f) << "a released slider keeps its value";
    EXPECT_EQ(drags, (std::vector<bool>{true, false}));
    EXPECT_EQ(values, (std::vector<float>{0.0f, -1.0f, 3.0f}));

    // A press and its release in one frame, on the track: the value of that place all the same.
    frames.script->pointerTo(350, 100);
    frames.script->mouseButton(0, true);
    frames.script->mouseButton(0, false);
    frames.frame();
    EXPECT_FLOAT_EQ(slider.getValue(), 2.0f);
    EXPECT_FALSE(slider.isDragging());
    EXPECT_EQ(drags, (std::vector<bool>{true, false, true, false}));

    // Equal ends, or a track without length, hold the minimum instead of dividing by zero.
    slider.setRange(2.0f, 2.0f);
    EXPECT_EQ(slider.valueAt({350.0f, 100.0f}), 2.0f);
    slider.updateThumb();
    EXPECT_EQ(slider.getThumb()->getPosition().x, 200.0f);
    slider.setRange(0.0f, 1.0f);
    slider.setSize({0.0f, 20.0f});
    EXPECT_EQ(slider.valueAt({350.0f, 100.0f}), 0.0f);
}

TEST_F(InputControls, ACheckButtonTogglesOnClicksOnly)
{
    cCheckButton& check = load<cCheckButton>(
        "<checkbutton Visible=\"1\" Enable=\"1\" position=\"100,100\" size=\"40,40\" Checked=\"1\">"
        "<Tick position=\"100,100\" size=\"20,20\" Visible=\"1\"/></checkbutton>");
    EXPECT_TRUE(check.getTick()->isVisible());
    std::vector<bool> states;
    check.checkedSignal.connect([&states](bool on) { states.push_back(on); });
    frames.moveTo(100, 100);
    frames.click();
    EXPECT_FALSE(check.getTick()->isVisible());
    frames.click();
    EXPECT_EQ(states, (std::vector<bool>{false, true}));
    // A press released away from the button is no click.
    frames.press();
    frames.moveTo(300, 300);
    frames.release();
    EXPECT_EQ(states.size(), 2u);
    EXPECT_TRUE(check.getChecked());
}

TEST_F(InputControls, AnAnimatedDialogFadesFromTheLevelItReached)
{
    // Deleted by the frame once it has faded out to its end.
    auto* made = new cAnimDialog();
    made->loadXML(element("<d Enable=\"1\" ShowTime=\"1\" HideTime=\"2\"><Background><P size=\"10,10\" "
                          "Visible=\"1\"/></Background></d>"));
    cAnimDialog& dialog = *made;
    ASSERT_EQ(dialog.getParts().size(), 1u);
    cView& part = **dialog.getParts().begin();
    dialog.showAnimated();
    for (int i = 0; i < 25; ++i)
        frames.frame();
    EXPECT_NEAR(part.getAlpha(), 0.5f, 0.01f);
    // Half way in, the fade out starts at a half and takes half the hide time.
    dialog.hideAnimated();
    frames.frame();
    EXPECT_NEAR(part.getAlpha(), 0.49f, 0.01f);
    for (int i = 0; i < 48; ++i)
        frames.frame();
    EXPECT_TRUE(dialog.isVisible());
    frames.frame();
    frames.frame();
    EXPECT_FALSE(dialog.isVisible()) << "hidden when the fade ends";
    EXPECT_EQ(part.getAlpha(), 0.0f);

    // Times of 0 fade at once.
    dialog.setTimes(0.0f, 0.0f);
    dialog.showAnimated();
    frames.frame();
    EXPECT_EQ(part.getAlpha(), 1.0f);
    dialog.hideAnimatedAndDestroy();
    frames.frame();
    EXPECT_FALSE(cControl::isAlive(made));
}

TEST_F(InputControls, AYesNoAnswersByKeysHoldsYesForItsPauseAndFreesItsBlockedControl)
{
    cPicture blocked;
    blocked.show();
    blocked.enable();
    std::vector<std::string> answers;
    auto* question = new cYesNo(&blocked, "ui/question.xml");
    question->setYesHandler([&answers](cYesNo*) { answers.push_back("yes"); });
    question->setNoHandler([&answers](cYesNo*) { answers.push_back("no"); });
    question->setText(L"1");
    question->show();
    question->enable();
    EXPECT_FALSE(blocked.isEnabled());
    frames.frame();
    EXPECT_FALSE(question->getYesButton()->isEnabled()) << "Yes waits for its pause";
    EXPECT_TRUE(question->getNoButton()->isEnabled());
    // Escape answers No and hides the dialog; the blocked control is free again.
    key(1);
    EXPECT_EQ(answers, std::vector<std::string>{"no"});
    EXPECT_FALSE(question->isVisible());
    EXPECT_TRUE(blocked.isEnabled());

    // Shown again: the pause starts again; Return answers Yes already.
    question->show();
    question->enable();
    for (int i = 0; i < 5; ++i)
        frames.frame();
    EXPECT_FALSE(question->getYesButton()->isEnabled());
    key(28);
    EXPECT_EQ(answers, (std::vector<std::string>{"no", "yes"}));
    EXPECT_EQ(question->getFadeState(), cControl::FadeOutAndDestroy);
    for (int i = 0; i < 20 && cControl::isAlive(question); ++i)
        frames.frame();
    EXPECT_FALSE(cControl::isAlive(question)) << "faded out and deleted";
    EXPECT_TRUE(blocked.isEnabled());

    // After two seconds Yes is enabled; a blocked control deleted meanwhile is left alone.
    auto* blocker = new cPicture();
    blocker->show();
    blocker->enable();
    question = new cYesNo(blocker, "ui/question.xml");
    question->show();
    question->enable();
    for (int i = 0; i < 99; ++i)
        frames.frame();
    EXPECT_FALSE(question->getYesButton()->isEnabled());
    frames.frame();
    frames.frame();
    EXPECT_TRUE(question->getYesButton()->isEnabled());
    delete blocker;
    frames.frame();
    key(57);
    EXPECT_FALSE(cControl::isAlive(question)) << "the default handler deletes it";
}

} // namespace
