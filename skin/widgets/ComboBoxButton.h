#pragma once

#include "skin/widgets/PopupMenuEx.h"
#include "skin/widgets/TextButtonWithIcon.h"

/** A chooser drawn as a button with a down arrow that shows the chosen item's text and opens a
    PopupMenuEx below itself. It may use a menu shared with other choosers; it then recognises its own
    openings by the menu's parent component having this chooser's component name. When attached to an
    integer parameter it offers the parameter's value names and writes the chosen index. Message thread. */
class ComboBoxButton : public juce::Component,
                       public PopupMenuEx::Listener,
                       public ParameterController,
                       public juce::Button::Listener
{
public:
    /** Called on the message thread after the user chose another item. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void comboBoxButtonChanged (ComboBoxButton*) = 0;
    };

    ComboBoxButton();
    ~ComboBoxButton() override;

    void addListener (Listener*);
    void removeListener (Listener*);

    /** One item per value name (id = the value's index), then attaches (once only). */
    void setParameter (Parameter*);

    /** Nothing when the id is the current one; with notify, tells the listeners and the parameter. */
    void setSelectedId (int id, bool notify);
    int getSelectedId() const noexcept { return selectedId; }

    /** The menu in use: the shared one when set, else the own one. */
    PopupMenuEx& getMenu() noexcept { return sharedMenu != nullptr ? *sharedMenu : menu; }
    PopupMenuEx& getOwnMenu() noexcept { return menu; }
    /** Not owned; must outlive this chooser. Null goes back to the own menu. */
    void setSharedMenu (PopupMenuEx*);

    void updateButtonText();
    TextButtonWithIcon& getButton() noexcept { return button; }

    void updateFromParameter (Parameter*) override;
    void popupMenuItemSelected (PopupMenuEx*, int itemId, bool wasTicked) override;
    void popupMenuDismissed (PopupMenuEx*) override;
    void buttonClicked (juce::Button*) override;
    void resized() override;

private:
    bool isOwnOpening (PopupMenuEx*) const;
    void releaseButton();

    ListenerArray<Listener> listeners;
    int selectedId = -1;
    PopupMenuEx menu;
    PopupMenuEx* sharedMenu = nullptr;
    TextButtonWithIcon button;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComboBoxButton)
};
