#include "skin/SkinTestSupport.h"
#include "skin/widgets/CheckBox_V2.h"
#include "skin/widgets/ComboBoxButton.h"
#include "skin/widgets/DefaultResourceCheckBox.h"
#include "skin/widgets/HardLabel.h"
#include "skin/widgets/TextButtonEx.h"
#include "skin/widgets/TextButtonWithIcon.h"
#include "skin/widgets/ToolbarDrawableButton.h"
#include "skin/windows/WindowsTestSupport.h"

namespace
{
using SkinTest::click;

class WidgetFixture : public ::testing::Test
{
protected:
    void add (juce::Component& c, juce::Rectangle<int> bounds = {})
    {
        host.addAndMakeVisible (c);
        if (!bounds.isEmpty())
            c.setBounds (bounds);
    }

    StyledDesktop host;
    DefaultLookAndFeel& lf = host.lf;
};

//==============================================================================
struct FitCase
{
    const char* text;
    int height; // argument; -1 keeps the current height
    int currentHeight;
    int expectedHeight;
};

class CheckBoxWidth : public WidgetFixture, public ::testing::WithParamInterface<FitCase>
{
};

TEST_P (CheckBoxWidth, IsTextPlusRoomForTheBox)
{
    const auto& c = GetParam();
    CheckBox_V2 box;
    add (box, {7, 9, 10, c.currentHeight});
    box.setButtonText (c.text);
    box.changeWidthToFitText (c.height);

    const float textWidth = lf.getDefaultFont().getStringWidthFloat (c.text);
    EXPECT_EQ (box.getHeight(), c.expectedHeight);
    EXPECT_EQ (box.getWidth(), juce::roundToInt (textWidth) + (int) (1.2 * c.expectedHeight));
    EXPECT_EQ (box.getPosition(), juce::Point<int> (7, 9));
    EXPECT_GT (box.getWidth(), (int) (1.2 * c.expectedHeight)) << "text measured 0 wide";
}

INSTANTIATE_TEST_SUITE_P (
    Heights, CheckBoxWidth,
    ::testing::Values (FitCase{"Use default", 20, 11, 20}, FitCase{"Use default", -1, 17, 17},
                       FitCase{"W", 13, 20, 13}, FitCase{"A longer label here", 18, 18, 18}),
    [] (const auto& each)
    { return testName (juce::String (each.param.text) + " height " + juce::String (each.param.height)); });

TEST_F (WidgetFixture, CheckBoxTickFollowsStateAndEnablementAndALowBoxHasNone)
{
    CheckBox_V2 box;
    add (box, {0, 0, 80, 20});
    ASSERT_NE (box.getTick(), nullptr);
    EXPECT_FALSE (box.getTick()->isVisible());

    click (box);
    EXPECT_TRUE (box.getToggleState());
    EXPECT_TRUE (box.getTick()->isVisible());
    EXPECT_NEAR (box.getTick()->getAlpha(), 1.0f, 0.01f);

    host.setEnabled (false); // a disabled parent dims the tick too
    EXPECT_NEAR (box.getTick()->getAlpha(), 0.5f, 0.01f);
    host.setEnabled (true);

    click (box);
    EXPECT_FALSE (box.getTick()->isVisible());

    // Too low for a box: no box or tick area is painted.
    box.setBounds (0, 0, 40, 3);
    EXPECT_TRUE (box.getBoxArea().isEmpty());
    box.setToggleState (true, juce::dontSendNotification);
    const auto snapshot = box.createComponentSnapshot (box.getLocalBounds());
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ (snapshot.getPixelAt (x, 1).getAlpha(), 0) << x;
}

//==============================================================================
// Widgets bound to parameters: the user's change goes in, the parameter's change comes out, and a value
// that came from the parameter never goes back into it.

TEST_F (WidgetFixture, CheckBoxWritesClicksShowsParameterValuesAndLeavesTheParameterWhenItGoes)
{
    BoolParameter power (3, "Power", true);
    SkinTest::GestureCounter counter;
    power.addListener (&counter);
    {
        CheckBox_V2 box;
        add (box, {0, 0, 80, 20});
        EXPECT_TRUE (box.attachToParameter (&power));
        EXPECT_FALSE (box.attachToParameter (&power)); // attached once only
        EXPECT_TRUE (box.getToggleState());
        EXPECT_TRUE (power.hasAsyncListener (&box));

        click (box);
        EXPECT_FALSE (power.getValueBool());
        EXPECT_EQ (counter.changes, 1);

        power.setValueBool (true, true);
        EXPECT_EQ (counter.changes, 2);
        pumpMessages();
        EXPECT_TRUE (box.getToggleState());
        EXPECT_EQ (counter.changes, 2) << "the shown value travelled back into the parameter";
    }
    power.setValueBool (false, true);
    pumpMessages(); // would call the dead widget
    EXPECT_FALSE (power.getValueBool());
    power.removeListener (&counter);
}

//==============================================================================
TEST_F (WidgetFixture, DefaultResourceCheckBoxEnablesPathBeforeTellingListeners)
{
    struct Recorder : public DefaultResourceCheckBox::Listener
    {
        void defaultResourceChanged (DefaultResourceCheckBox* b) override
        {
            ++calls;
            pathEnabledWhenCalled = b->getPathComponent().isEnabled();
        }
        int calls = 0;
        bool pathEnabledWhenCalled = false;
    } listener;

    DefaultResourceCheckBox choice;
    add (choice, {0, 0, 300, 20});
    choice.addListener (&listener);
    choice.addListener (nullptr);
    choice.addListener (&listener);

    EXPECT_FALSE (choice.getPathComponent().isEnabled());
    EXPECT_EQ (choice.getPathComponent().getX(), choice.getCheckBox().getWidth() + 6);
    EXPECT_EQ (choice.getPathComponent().getRight(), 300);

    click (choice.getCheckBox());
    EXPECT_EQ (listener.calls, 1);
    EXPECT_TRUE (listener.pathEnabledWhenCalled);

    choice.getPathComponent().setPath ("/tmp/own.file", true);
    EXPECT_EQ (listener.calls, 2);

    click (choice.getCheckBox());
    EXPECT_EQ (listener.calls, 3);
    EXPECT_FALSE (listener.pathEnabledWhenCalled);
}

//==============================================================================
TEST_F (WidgetFixture, TextButtonExIsTwentyWideWithoutTextOrImagesAndGrowsWithText)
{
    TextButtonEx bare ("");
    EXPECT_EQ (bare.getBounds(), juce::Rectangle<int> (0, 0, 20, 20));

    TextButtonEx button ("Save");
    add (button); // the look and feel sets the small images
    EXPECT_EQ (button.getHeight(), 28);
    EXPECT_GT (button.getTextWidth(), 0);
    EXPECT_EQ (button.getWidth(), 30 + button.getTextWidth());

    const int before = button.getWidth();
    button.setButtonText ("Save the preset");
    button.updateWidth();
    EXPECT_GT (button.getWidth(), before);
}

struct IconMarginCase
{
    int height;
    bool onRight;
    int top, left, bottom, right;
    juce::Rectangle<int> expected;
};

class IconPlacement : public WidgetFixture, public ::testing::WithParamInterface<IconMarginCase>
{
};

TEST_P (IconPlacement, SitsInItsMargins)
{
    const auto& c = GetParam();
    TextButtonWithIcon button;
    add (button, {0, 0, 100, c.height});
    button.setIconOnRight (c.onRight);
    button.setIconMargins (c.top, c.left, c.bottom, c.right);
    EXPECT_EQ (button.getIconArea(), c.expected);
}

INSTANTIATE_TEST_SUITE_P (Margins, IconPlacement,
                          ::testing::Values (IconMarginCase{20, true, 3, 1, 5, 1, {87, 3, 12, 12}},
                                             IconMarginCase{20, false, 3, 1, 5, 1, {1, 3, 12, 12}},
                                             IconMarginCase{24, false, 1, 1, 1, 1, {1, 1, 22, 22}}),
                          [] (const auto& each)
                          {
                              const auto& c = each.param;
                              return testName ((c.onRight ? "right of " : "left of ") +
                                               juce::String (c.height) + " high margin " +
                                               juce::String (c.top));
                          });

TEST_F (WidgetFixture, TextButtonWithIconShowsOneIconPerState)
{
    TextButtonWithIcon button;
    add (button, {0, 0, 100, 20});
    button.setIcon (*DefaultLookAndFeel::getIcon (5));
    ASSERT_NE (button.getIconOff(), nullptr);
    EXPECT_TRUE (button.getIconOff()->isVisible());
    EXPECT_FALSE (button.getIconOn()->isVisible());
    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_FALSE (button.getIconOff()->isVisible());
    EXPECT_TRUE (button.getIconOn()->isVisible());
}

TEST_F (WidgetFixture, ToolbarButtonWithoutADrawingShowsNoIconAndLabelsMeasureTextPlusBorders)
{
    ToolbarDrawableButton none ("Nothing", 17);
    ToolbarDrawableButton copy ("Copy", 1);
    EXPECT_EQ (none.getNormalImage(), nullptr);
    ASSERT_NE (copy.getNormalImage(), nullptr);
    EXPECT_EQ (copy.getTooltip(), "Copy");

    HardLabel label ("l", "Sequencer");
    add (label);
    label.setBorderSize ({1, 4, 1, 6});
    EXPECT_EQ (label.getTextWidth(),
               juce::roundToInt (lf.getDefaultFont().getStringWidthFloat ("Sequencer")) + 10);
    EXPECT_GT (label.getTextWidth(), 10);
}

//==============================================================================
TEST_F (WidgetFixture, ComboBoxButtonOffersValueNamesAndTellsOnlyRealChanges)
{
    struct ChangeCounter : public ComboBoxButton::Listener
    {
        void comboBoxButtonChanged (ComboBoxButton*) override { ++changes; }
        int changes = 0;
    } counter;

    EnumParameter mode (2, "Mode");
    mode.setItems ("Off;Play;Edit");
    mode.setValueInt (1, false);

    ComboBoxButton box;
    add (box, {0, 0, 120, 20});
    box.addListener (&counter);
    box.setParameter (&mode);
    EXPECT_EQ (box.getSelectedId(), 1);
    EXPECT_EQ (box.getButton().getButtonText(), "Play");
    EXPECT_EQ (counter.changes, 0) << "a value from the parameter notified";

    box.setSelectedId (1, true);
    EXPECT_EQ (counter.changes, 0);
    box.setSelectedId (2, true);
    EXPECT_EQ (counter.changes, 1);
    EXPECT_EQ (mode.getValueInt(), 2);
    EXPECT_TRUE (box.getMenu().findItem (2)->ticked);
    EXPECT_FALSE (box.getMenu().findItem (1)->ticked);

    box.setSelectedId (9, false);
    EXPECT_EQ (box.getButton().getButtonText(), "---");
}
} // namespace
