#include "TestSupport.h"
#include "skin/windows/ModalTextEditor.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A listener that rebuilds its panel may delete the field it is told about from inside the key that
// ended the edit; the key's handling must not touch the field afterwards (the address sanitizer sees it).
namespace
{
enum class Callback
{
    none,
    committed,
    finished,
    cancelled
};

struct Recorder : public ModalTextEditor::ModalListener
{
    void modalTextCommitted (ModalTextEditor*) override { hear (Callback::committed, "committed"); }
    void modalEditingFinished (ModalTextEditor*) override { hear (Callback::finished, "finished"); }
    void modalEditingCancelled (ModalTextEditor*) override { hear (Callback::cancelled, "cancelled"); }

    void hear (Callback callback, const char* name)
    {
        calls.push_back (name);
        if (callback == deleteOn)
            owned.reset();
    }

    Callback deleteOn = Callback::none;
    std::unique_ptr<ModalTextEditor> owned;
    std::vector<std::string> calls;
};

struct JuceKeyLog : public juce::TextEditor::Listener
{
    void textEditorReturnKeyPressed (juce::TextEditor&) override { calls.push_back ("return"); }
    void textEditorEscapeKeyPressed (juce::TextEditor&) override { calls.push_back ("escape"); }
    std::vector<std::string> calls;
};

TEST (ModalEditorDeletion, ListenerMayDeleteTheFieldFromTheKeyThatEndsTheEdit)
{
    const struct
    {
        const char* what;
        int keyCode;
        bool typeFirst;
        Callback deleteOn;
        std::vector<std::string> heard; // by the deleting listener, added last so told first
        std::vector<std::string> heardLater;
        std::vector<std::string> juceHeard;
    } cases[] = {
        {"return, deleted on commit",
         juce::KeyPress::returnKey,
         true,
         Callback::committed,
         {"committed"},
         {},
         {}},
        {"return, deleted on finish",
         juce::KeyPress::returnKey,
         true,
         Callback::finished,
         {"committed", "finished"},
         {"committed"},
         {}},
        {"return unchanged, deleted on finish",
         juce::KeyPress::returnKey,
         false,
         Callback::finished,
         {"finished"},
         {},
         {}},
        {"escape, deleted on finish",
         juce::KeyPress::escapeKey,
         true,
         Callback::finished,
         {"finished"},
         {},
         {}},
        {"escape, deleted on cancel",
         juce::KeyPress::escapeKey,
         true,
         Callback::cancelled,
         {"finished", "cancelled"},
         {"finished"},
         {}},
        {"return, kept",
         juce::KeyPress::returnKey,
         true,
         Callback::none,
         {"committed", "finished"},
         {"committed", "finished"},
         {"return"}},
        {"escape, kept",
         juce::KeyPress::escapeKey,
         true,
         Callback::none,
         {"finished", "cancelled"},
         {"finished", "cancelled"},
         {"escape"}},
    };
    for (const auto& c : cases)
    {
        Recorder deleter, later;
        JuceKeyLog juceLog;
        deleter.deleteOn = c.deleteOn;
        deleter.owned = std::make_unique<ModalTextEditor> ("field");
        auto* field = deleter.owned.get();
        field->setText ("abc", false);
        field->addListener (&juceLog);
        field->addModalListener (&later);
        field->addModalListener (&deleter);
        field->beginEditing();
        if (c.typeFirst)
        {
            field->moveCaretToEnd();
            field->keyPressed (juce::KeyPress ('x', {}, 'x'));
        }

        EXPECT_TRUE (field->keyPressed (juce::KeyPress (c.keyCode, {}, 0))) << c.what;
        pumpMessages(); // JUCE's own listeners hear the key from a posted message

        EXPECT_EQ (deleter.owned == nullptr, c.deleteOn != Callback::none) << c.what;
        EXPECT_EQ (deleter.calls, c.heard) << c.what;
        EXPECT_EQ (later.calls, c.heardLater) << c.what;
        EXPECT_EQ (juceLog.calls, c.juceHeard) << c.what;
        if (deleter.owned != nullptr)
        {
            EXPECT_FALSE (deleter.owned->isEditing()) << c.what;
            EXPECT_EQ (deleter.owned->getText(),
                       juce::String (c.keyCode == juce::KeyPress::returnKey ? "abcx" : "abc"))
                << c.what;
        }
    }
}
} // namespace
