#pragma once

#include "skin/widgets/ParameterController.h"
#include "skin/widgets/PopupMenuEx.h"

/** A self-drawn chooser: a rounded light box with the chosen item's text and a down arrow that opens a
    PopupMenuEx below itself. A missing or disabled item shows in italic ("---" when none). Shares menus
    and binds to a parameter like ComboBoxButton. Message thread only. */
class ComboBoxEx : public juce::Component, public PopupMenuEx::Listener, public ParameterController
{
public:
    /** Called on the message thread after the user chose another item. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void comboBoxExChanged (ComboBoxEx*) = 0;
    };

    ComboBoxEx();
    ~ComboBoxEx() override;

    void addListener (Listener*);
    void removeListener (Listener*);

    /** Stores the id and shows its item's text, telling nobody. */
    void setSelectedId (int id);
    int getSelectedId() const noexcept { return selectedId; }

    PopupMenuEx& getMenu() noexcept { return sharedMenu != nullptr ? *sharedMenu : menu; }
    PopupMenuEx& getOwnMenu() noexcept { return menu; }
    /** Not owned; must outlive this chooser. Null goes back to the own menu. */
    void setSharedMenu (PopupMenuEx*);

    void updateText();
    const juce::String& getText() const noexcept { return text; }
    const juce::Font& getFont() const noexcept { return font; }
    bool isMenuOpen() const noexcept { return menuOpen; }

    void updateFromParameter (Parameter*) override;
    void popupMenuItemSelected (PopupMenuEx*, int itemId, bool wasTicked) override;
    void popupMenuDismissed (PopupMenuEx*) override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    bool isOwnOpening (PopupMenuEx*) const;

    int selectedId = -1;
    bool menuOpen = false;
    juce::String text;
    juce::Font font;
    juce::Path arrow;
    PopupMenuEx menu;
    PopupMenuEx* sharedMenu = nullptr;
    ListenerArray<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComboBoxEx)
};
