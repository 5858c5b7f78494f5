#include "skin/panel/GFXPanel.h"
#include "SkinTestSupport.h"

#include <limits>

namespace
{
using namespace SkinTest;

class GFXPanelTest : public SourceTest
{
protected:
    void SetUp() override
    {
        // Frame 5 is the background, frame 7 a nested panel's image.
        embed ({{"back.png", makeStrip (6, 100, 80).getClippedImage ({0, 5 * 80, 100, 80})},
                {"tile.png", makeStrip (8, 20, 10).getClippedImage ({0, 7 * 10, 20, 10})}});
        source.setKeyboardState (&plugin.keyboardState);
    }

    std::unique_ptr<GFXPanel> build (const juce::String& document)
    {
        const auto root = XmlHelpers::parse (document);
        return root != nullptr ? source.createMainPanel (*root) : nullptr;
    }
};

TEST_F (GFXPanelTest, EveryKnownTagBuildsItsControlInAnyCaseAndUnknownTagsAreSkipped)
{
    const auto& kinds = GFXPanel::getControlKinds();
    ASSERT_FALSE (kinds.empty());
    for (const auto& kind : kinds)
    {
        const juce::String tag (kind.tag);
        for (const auto& written : {tag, tag.toLowerCase(), tag.toUpperCase()})
        {
            const auto panel =
                build (skinDocument ("<controls>"
                                     "<Unknown name='before'/>"
                                     "<" +
                                     written + " name='made'><size width='8' height='8'/></" + written +
                                     ">"
                                     "<Knobs name='near miss'/>"
                                     "<Panel name='after'/>"
                                     "</controls>"));
            ASSERT_NE (panel, nullptr) << written;
            ASSERT_EQ (panel->getNumControls(), 2) << written;
            EXPECT_EQ (panel->getControlComponent (0)->getName(), "made") << written;
            EXPECT_EQ (panel->getControlComponent (1)->getName(), "after") << written;
            EXPECT_TRUE (panel->getControlComponent (0)->isVisible());
            EXPECT_EQ (panel->getControlComponent (0)->getParentComponent(), panel.get());
        }
    }
}

TEST_F (GFXPanelTest, TheMainPanelIsTheFirstPanelNamedSoUnderThisProductsRoot)
{
    struct Case
    {
        const char* what;
        juce::String document;
        juce::Rectangle<int> bounds; // empty: no panel
    };
    const Case cases[] = {
        {"second panel named MainPanel",
         "<PluginEditor application='SkinTest'><Panel name='Other'><size width='1' height='1'/></Panel>"
         "<Panel name='mainpanel'><size width='5' height='6'/></Panel>"
         "<Panel name='MainPanel'><size width='9' height='9'/></Panel></PluginEditor>",
         {0, 0, 5, 6}},
        {"root and product in other cases",
         "<PLUGINEDITOR application='SKINTEST'><panel name='MainPanel'><pos left='2' top='3'/>"
         "<size width='5' height='6'/></panel></PLUGINEDITOR>",
         {2, 3, 5, 6}},
        {"another product", skinDocument ("<size width='5' height='6'/>", "Other"), {}},
        {"another root", "<Editor application='SkinTest'><Panel name='MainPanel'/></Editor>", {}},
        {"no main panel", "<PluginEditor application='SkinTest'><Panel name='Side'/></PluginEditor>", {}},
    };
    for (const auto& c : cases)
    {
        const auto panel = build (c.document);
        EXPECT_EQ (panel != nullptr, !c.bounds.isEmpty()) << c.what;
        if (panel != nullptr)
        {
            EXPECT_EQ (panel->getBounds(), c.bounds) << c.what;
            EXPECT_EQ (panel->getName(), "MainEditorPanel");
        }
    }
}

TEST_F (GFXPanelTest, OffsetsMoveEveryControlAndPanelsTakeTheirImageOrSizeOrNothing)
{
    const auto panel = build (
        skinDocument ("<size width='50' height='40'/>"
                      "<controls ofsX='10' ofsY='-3'>"
                      "<Panel name='sized'><pos left='1' top='5'/><size width='7' height='9'/></Panel>"
                      "<Panel name='imaged'><pos left='4' top='4'/><gfx resource='tile.png'/>"
                      "<size width='99' height='99'/></Panel>"
                      "<Panel name='bare'><pos left='2' top='2'/></Panel>"
                      "<Panel name='broken'><pos left='x' top=''/><size width='-5' height='q'/></Panel>"
                      "</controls>"));
    ASSERT_NE (panel, nullptr);
    struct Case
    {
        const char* name;
        juce::Rectangle<int> bounds;
    };
    for (const auto& c : {Case{"sized", {11, 2, 7, 9}}, Case{"imaged", {14, 1, 20, 10}},
                          Case{"bare", {12, -1, 0, 0}}, Case{"broken", {10, -3, 0, 0}}})
    {
        auto* control = dynamic_cast<juce::Component*> (panel->findControl (c.name));
        ASSERT_NE (control, nullptr) << c.name;
        EXPECT_EQ (control->getBounds(), c.bounds) << c.name;
    }
}

TEST_F (GFXPanelTest, TransparentPanelsShowTheBackgroundUnderTheirControls)
{
    const auto panel =
        build (skinDocument ("<gfx resource='back.png'/><controls>"
                             "<Panel name='clear'><gfx transparent=' Yes'/><size width='60' height='40'/>"
                             "<pos left='10' top='10'/><controls>"
                             "<Panel name='deeper'><gfx transparent='1'/><size width='40' height='30'/>"
                             "<controls ofsX='5'><Panel name='tile'><gfx resource='tile.png'/></Panel>"
                             "</controls></Panel></controls></Panel>"
                             "<Panel name='grey'><gfx transparent='no'/><size width='10' height='10'/>"
                             "<pos left='80' top='60'/></Panel>"
                             "</controls>"));
    ASSERT_NE (panel, nullptr);
    ASSERT_EQ (panel->getBounds(), juce::Rectangle<int> (0, 0, 100, 80));
    EXPECT_TRUE (dynamic_cast<GFXPanel*> (panel->findControl ("clear"))->isTransparent());
    EXPECT_FALSE (dynamic_cast<GFXPanel*> (panel->findControl ("grey"))->isTransparent());

    struct Case
    {
        const char* where;
        juce::Point<int> point;
        int frame;
    };
    // The tile lies at 10 + 0 + 5 = 15, 10 + 0 = 10, 20 x 10.
    for (const auto& c :
         {Case{"outside every nested panel", {2, 2}, 5}, Case{"inside both transparent panels", {60, 45}, 5},
          Case{"on the tile", {16, 11}, 7}, Case{"tile's last pixel", {34, 19}, 7},
          Case{"just right of the tile", {35, 15}, 5}, Case{"just below the tile", {20, 20}, 5}})
        EXPECT_EQ (frameOfColour (pixelAt (*panel, c.point)), c.frame) << c.where;

    EXPECT_EQ (pixelAt (*panel, {85, 65}), juce::Colour::greyLevel (0.9f)) << "an opaque panel without image";
}

TEST_F (GFXPanelTest, ListenersReachEveryControlBuiltAtAnyDepth)
{
    const auto panel =
        build (skinDocument ("<controls><Panel name='outer'><controls>"
                             "<Panel name='inner'><actions><action type='onClick' event='Test press'/>"
                             "</actions><links><link as='connectedTo' param='Absent'/></links></Panel>"
                             "</controls></Panel></controls>"));
    ASSERT_NE (panel, nullptr);
    auto* inner = panel->findControl ("inner");
    ASSERT_NE (inner, nullptr);
    EXPECT_FALSE (inner->isConnected());

    ControllerLog editor;
    panel->addListener (&editor);
    inner->sendActionTriggered (7001);
    panel->findControl ("outer")->sendDragStarted();
    panel->sendValueChanged();
    EXPECT_EQ (editor.lines,
               (std::vector<std::string>{"action 7001 inner", "started outer", "value MainEditorPanel"}));

    panel->removeListener (&editor);
    inner->sendActionTriggered (7001);
    EXPECT_EQ (editor.lines.size(), 3u);
}

TEST (GFXPanelBoolean, TheFirstNonBlankCharacterDecides)
{
    struct Case
    {
        const char* text;
        bool value;
    };
    for (const auto& c : {Case{"true", true}, Case{"  T", true}, Case{"yes", true}, Case{"Y", true},
                          Case{"1", true}, Case{"\t1", true}, Case{"false", false}, Case{"0", false},
                          Case{"", false}, Case{"on", false}, Case{"x true", false}})
        EXPECT_EQ (GFXPanel::readSkinBool (c.text), c.value) << "'" << c.text << "'";
}

// The one check of a main panel's size, which the editor asks for its window and the renderer for its
// picture: pixels within the budget at the panel's size and at the scale, and a window within what X allows.
TEST (GFXPanelSize, APanelIsShowableWithinItsPixelsAndAWindowXAllowsAtTheScale)
{
    using Problem = GFXPanel::SizeProblem;
    constexpr int side = GFXPanel::maxWindowSide, coordinate = GFXPanel::maxSkinCoordinate;
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        const char* what;
        int width, height, rowsBelow;
        float scale;
        Problem problem;
    } cases[] = {
        {"a small panel", 300, 200, 16, 1.0f, Problem::none},
        {"no width", 0, 200, 16, 1.0f, Problem::noSize},
        {"a negative height", 300, -1, 16, 1.0f, Problem::noSize},
        {"the most pixels", 4096, 4096, 0, 1.0f, Problem::none},
        {"a row more than that", 4097, 4096, 0, 1.0f, Problem::tooManyPixels},
        {"two sides of the largest coordinate", coordinate, coordinate, 0, 1.0f, Problem::tooManyPixels},
        {"scaled to nothing", 3, 1, 0, 0.5f, Problem::noSizeAtScale},
        {"no scale", 300, 200, 0, 0.0f, Problem::noSizeAtScale},
        {"a scale that is no number", 300, 200, 0, nan, Problem::noSizeAtScale},
        {"too many pixels only once scaled", 2048, 2048, 0, 8.0f, Problem::tooManyPixelsAtScale},
        {"the widest window", side, 16, 16, 1.0f, Problem::none},
        {"a window one wider", side + 1, 16, 16, 1.0f, Problem::windowTooWide},
        {"the largest coordinate wide", coordinate, 16, 16, 1.0f, Problem::windowTooWide},
        {"the largest coordinate high", 16, coordinate, 16, 1.0f, Problem::windowTooHigh},
        {"the highest window, the status bar counted", 16, side - 16, 16, 1.0f, Problem::none},
        {"a window one higher for the status bar", 16, side - 15, 16, 1.0f, Problem::windowTooHigh},
        {"the same panel without rows below it", 16, side - 15, 0, 1.0f, Problem::none},
        {"rows below it beyond the int range", 16, 16, std::numeric_limits<int>::max(), 1.0f,
         Problem::windowTooHigh},
        {"a window too high only at twice the size", 16, 16384, 16, 2.0f, Problem::windowTooHigh},
        {"a window too wide only at twice the size", 16384, 16, 16, 2.0f, Problem::windowTooWide},
        {"the highest window at twice the size", 16, 16367, 16, 2.0f, Problem::none},
        // JUCE rounds a window's sides at its desktop scale to the nearest pixel: 32,767.2 is 32,767.
        {"a window 32,767.2 pixels high at 1.2 times the size", 16, 27306 - 16, 16, 1.2f, Problem::none},
        {"a window 32,768.4 pixels high at 1.2 times the size", 16, 27307 - 16, 16, 1.2f,
         Problem::windowTooHigh},
        {"a window 32,767.2 pixels wide at 1.2 times the size", 27306, 16, 16, 1.2f, Problem::none},
        {"a window 32,768.4 pixels wide at 1.2 times the size", 27307, 16, 16, 1.2f, Problem::windowTooWide},
        {"a window that fits only at half the size", 16, coordinate, 16, 0.5f, Problem::none},
        {"a huge scale", 16, 16, 16, 1.0e30f, Problem::tooManyPixelsAtScale},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ (GFXPanel::findSizeProblem (c.width, c.height, c.rowsBelow, c.scale), c.problem) << c.what;
        EXPECT_EQ (GFXPanel::isShowableSize (c.width, c.height, c.rowsBelow, c.scale),
                   c.problem == Problem::none)
            << c.what;
    }
}

// One wording of a size problem, for the editor's notice and the skin renderer's message alike.
TEST (GFXPanelSize, SaysWhyAMainPanelCannotBeShown)
{
    using Problem = GFXPanel::SizeProblem;
    const struct
    {
        Problem problem;
        const char* expected;
    } cases[] = {
        {Problem::none, ""},
        {Problem::noSize, "its main panel has no size"},
        {Problem::tooManyPixels, "its main panel has more than 16777216 pixels"},
        {Problem::noSizeAtScale, "its main panel has no size at the display's scale"},
        {Problem::tooManyPixelsAtScale,
         "its main panel has more than 16777216 pixels at the display's scale"},
        {Problem::windowTooWide, "its window would be wider than 32767 pixels, the most X allows"},
        {Problem::windowTooHigh,
         "its window, with the status bar, would be higher than 32767 pixels, the most X allows"},
    };
    for (const auto& c : cases)
        EXPECT_EQ (GFXPanel::describeSizeProblem (c.problem), c.expected) << (int) c.problem;
}
} // namespace
