#include "editor/AlertWindow.h"
#include "TestNames.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
class Editor : public juce::Component, public ModalComponent::Desktop
{
public:
    Editor() { setBounds (0, 0, 600, 400); }
    juce::Rectangle<int> getModalArea() override { return getLocalBounds(); }
};

class Answers : public Zeb::AlertWindow::Caller
{
public:
    void alertWindowClosed (Zeb::AlertWindow* alert, int result) override
    {
        results.add (result);
        lastAlert = alert;
    }
    juce::Array<int> results;
    Zeb::AlertWindow* lastAlert = nullptr;
};

using Factory = Zeb::AlertWindow* (*) (const juce::String&, const juce::String&, Zeb::AlertWindow::Caller*);

struct KeyCase
{
    const char* what;
    Factory create;
    int key;
    bool consumed;
    int expectedResult; // -1: no answer
};

class AlertWindowFixture
{
protected:
    DefaultLookAndFeel lf;
    Editor editor;
    Answers answers;
    std::unique_ptr<Zeb::AlertWindow> open (Factory create,
                                            const juce::String& message = "Overwrite the file?")
    {
        return shown (std::unique_ptr<Zeb::AlertWindow> (create ("Question", message, &answers)));
    }
    /** The window shown in the editor. */
    std::unique_ptr<Zeb::AlertWindow> shown (std::unique_ptr<Zeb::AlertWindow> w)
    {
        editor.setLookAndFeel (&lf);
        editor.addChildComponent (*w);
        w->show();
        return w;
    }
    ~AlertWindowFixture() { editor.setLookAndFeel (nullptr); }
};

class AlertWindowKeys : public AlertWindowFixture, public ::testing::TestWithParam<KeyCase>
{
};

TEST_P (AlertWindowKeys, PressTheirButtons)
{
    const auto& c = GetParam();
    auto w = open (c.create);
    ASSERT_TRUE (w->isShowing());
    EXPECT_EQ (w->keyPressed (juce::KeyPress (c.key)), c.consumed) << c.what;
    if (c.expectedResult < 0)
    {
        EXPECT_TRUE (answers.results.isEmpty()) << c.what;
        EXPECT_TRUE (w->isShowing()) << c.what;
        return;
    }
    EXPECT_EQ (answers.results, juce::Array<int> ({c.expectedResult})) << c.what;
    EXPECT_EQ (answers.lastAlert, w.get());
    EXPECT_FALSE (w->isVisible()) << c.what;
    EXPECT_FALSE (w->getCoveringWindow().isVisible()) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Table, AlertWindowKeys,
    ::testing::Values (
        KeyCase{"message box, Return", &Zeb::AlertWindow::createMessageBox, juce::KeyPress::returnKey, true,
                3},
        KeyCase{"message box, Escape", &Zeb::AlertWindow::createMessageBox, juce::KeyPress::escapeKey, true,
                3},
        KeyCase{"yes/no, Return", &Zeb::AlertWindow::createYesNoBox, juce::KeyPress::returnKey, true, 2},
        KeyCase{"yes/no, Escape", &Zeb::AlertWindow::createYesNoBox, juce::KeyPress::escapeKey, true, 1},
        KeyCase{"yes/no, another key", &Zeb::AlertWindow::createYesNoBox, 'y', false, -1},
        KeyCase{"yes/cancel, Return", &Zeb::AlertWindow::createYesCancelBox, juce::KeyPress::returnKey, false,
                -1},
        KeyCase{"yes/cancel, Escape", &Zeb::AlertWindow::createYesCancelBox, juce::KeyPress::escapeKey, false,
                -1},
        KeyCase{"save question, Return", &Zeb::AlertWindow::createSaveQuestionBox, juce::KeyPress::returnKey,
                false, -1}),
    NameFromWhat());

struct ButtonCase
{
    Factory create;
    std::vector<const char*> texts;
    std::vector<int> results;
};

class AlertWindowButtons : public AlertWindowFixture, public ::testing::TestWithParam<ButtonCase>
{
};

TEST_P (AlertWindowButtons, AnswerTheirResultCodesInOrder)
{
    const auto& c = GetParam();
    auto w = open (c.create);
    ASSERT_EQ (w->getNumButtons(), (int) c.texts.size());
    for (int i = 0; i < w->getNumButtons(); ++i)
    {
        EXPECT_EQ (w->getButton (i)->getButtonText(), juce::String (c.texts[(size_t) i]));
        if (i > 0)
        {
            EXPECT_LT (w->getButton (i - 1)->getX(), w->getButton (i)->getX()) << "left to right";
        }
        w->show();
        w->buttonClicked (w->getButton (i));
        EXPECT_EQ (answers.results.getLast(), c.results[(size_t) i]);
    }
    EXPECT_EQ (answers.results.size(), (int) c.results.size());
}

INSTANTIATE_TEST_SUITE_P (
    Table, AlertWindowButtons,
    ::testing::Values (
        ButtonCase{&Zeb::AlertWindow::createMessageBox, {"OK"}, {3}},
        ButtonCase{&Zeb::AlertWindow::createYesNoBox, {"Yes", "No"}, {2, 1}},
        ButtonCase{&Zeb::AlertWindow::createYesCancelBox, {"Yes", "Cancel"}, {2, 0}},
        ButtonCase{&Zeb::AlertWindow::createSaveQuestionBox, {"Save as", "Overwrite", "Discard"}, {5, 4, 6}}),
    [] (const auto& each)
    {
        juce::String name;
        for (const auto* text : each.param.texts)
            name << text << " ";
        return testName (name);
    });

class AlertWindowBehaviour : public AlertWindowFixture, public ::testing::Test
{
};

TEST_F (AlertWindowBehaviour, CloseButtonAnswersNobody)
{
    auto w = open (&Zeb::AlertWindow::createYesNoBox);
    w->buttonClicked (&w->getCloseButton());
    EXPECT_FALSE (w->isVisible());
    EXPECT_TRUE (answers.results.isEmpty());
}

TEST_F (AlertWindowBehaviour, AQuestionForAFunctionAnswersYesOnlyForYesAndNoWhenClosed)
{
    struct Press
    {
        int button; // -1: the close button
        bool yes;
    };
    for (const auto [button, yes] : {Press{0, true}, Press{1, false}, Press{-1, false}})
    {
        juce::Array<bool> heard;
        auto w = shown (
            Zeb::AlertWindow::createYesNoQuestion ("T", "M", [&] (bool answer) { heard.add (answer); }));
        w->buttonClicked (button < 0 ? static_cast<juce::Button*> (&w->getCloseButton())
                                     : w->getButton (button));
        EXPECT_FALSE (w->isShowing()) << button;
        EXPECT_EQ (heard, juce::Array<bool> (yes)) << button;
    }
}

TEST_F (AlertWindowBehaviour, WithoutACallerItOnlyHides)
{
    auto w =
        shown (std::unique_ptr<Zeb::AlertWindow> (Zeb::AlertWindow::createMessageBox ("T", "M", nullptr)));
    EXPECT_TRUE (w->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_FALSE (w->isVisible());
}

TEST_F (AlertWindowBehaviour, TheCallerMayDeleteTheWindowWhileAnswered)
{
    struct Deleter : Zeb::AlertWindow::Caller
    {
        std::unique_ptr<Zeb::AlertWindow> window;
        int calls = 0;
        void alertWindowClosed (Zeb::AlertWindow*, int) override
        {
            ++calls;
            window.reset();
        }
    } deleter;
    deleter.window =
        shown (std::unique_ptr<Zeb::AlertWindow> (Zeb::AlertWindow::createYesNoBox ("T", "M", &deleter)));
    EXPECT_TRUE (deleter.window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (deleter.calls, 1);
    EXPECT_EQ (editor.getNumChildComponents(), 0);
}

TEST_F (AlertWindowBehaviour, AttachedValuesComeBack)
{
    auto w = open (&Zeb::AlertWindow::createYesNoBox);
    w->getAttachedValues().add ("preset", 7);
    EXPECT_EQ (w->getAttachedString (0).toString(), "preset");
    EXPECT_EQ ((int) w->getAttachedString (1), 7);
    EXPECT_TRUE (w->getAttachedString (2).isVoid());
    EXPECT_TRUE (w->getAttachedString (-1).isVoid());
}

TEST_F (AlertWindowBehaviour, ShortMessagesGiveAtLeast250AndTheButtonRow)
{
    auto w = open (&Zeb::AlertWindow::createSaveQuestionBox, "?");
    EXPECT_GE (w->getWidth(), 250);
    EXPECT_GE (w->getContentArea().getWidth(), w->getButtonRow().getWidth());
    EXPECT_EQ (w->getButtonRow().getRight(), w->getContentArea().getRight());
    EXPECT_EQ (w->getButtonRow().getBottom(), w->getContentArea().getBottom());
}

TEST_F (AlertWindowBehaviour, ALongMessageWidensUpToTheEditorThenWraps)
{
    const juce::String medium =
        juce::String::repeatedString ("word ", 10).trimEnd(); // between 250 and 600 px
    auto w = open (&Zeb::AlertWindow::createMessageBox, medium);
    const auto font = w->getMessageLabel().getFont();
    ASSERT_GT (font.getStringWidthFloat (medium), 250.0f);
    EXPECT_GE ((float) w->getMessageLabel().getWidth(), font.getStringWidthFloat (medium)) << "one line";
    EXPECT_LT (w->getWidth(), editor.getWidth());

    const juce::String longMessage = juce::String::repeatedString ("a longer sentence ", 60).trimEnd();
    auto wide = open (&Zeb::AlertWindow::createMessageBox, longMessage);
    EXPECT_EQ (wide->getWidth(), editor.getWidth()) << "as wide as the editor";
    EXPECT_EQ (wide->getX(), 0);
    EXPECT_GT (wide->getHeight(), w->getHeight());

    // Every wrapped line fits in the message label.
    const auto& label = wide->getMessageLabel();
    juce::GlyphArrangement wrapped;
    wrapped.addJustifiedText (font, longMessage, 0.0f, 0.0f, (float) label.getWidth(),
                              juce::Justification::left);
    EXPECT_GE ((float) label.getHeight(), wrapped.getBoundingBox (0, -1, true).getHeight());
}

TEST (AlertWindowContentSize, FollowsMessageAndButtonRow)
{
    const juce::Font font (13.0f);
    const auto single = Zeb::AlertWindow::contentSizeFor ("Hi", font, 100, 22, 0);
    EXPECT_EQ (single.x, 100);
    EXPECT_EQ (single.y, (int) std::ceil (font.getHeight()) + 22 + 20);

    const juce::String text = juce::String::repeatedString ("abc ", 100);
    const auto unlimited = Zeb::AlertWindow::contentSizeFor (text, font, 100, 22, 0);
    EXPECT_GT (unlimited.x, 300);
    const auto limited = Zeb::AlertWindow::contentSizeFor (text, font, 100, 22, 300);
    EXPECT_EQ (limited.x, 300);
    EXPECT_GT (limited.y, single.y);
}
} // namespace
