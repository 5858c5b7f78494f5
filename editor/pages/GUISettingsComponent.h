#pragma once

#include "framework/ListenerArray.h"
#include "skin/widgets/ComboBoxButton.h"
#include "skin/widgets/PopupMenuEx.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/PanelComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <vector>

class BasePlugin;

/** The "GUI" page: the "Default skin" (the one the editor opens with next time) and the "Current skin"
    (the one showing), each chosen among the user skins of the skins folder with a preview of its
    thumbnail. The list is read once, when the page is built. Message thread only. */
class GUISettingsComponent : public juce::Component, public ComboBoxButton::Listener
{
public:
    /** One user skin. */
    struct SkinEntry
    {
        juce::String name;               // the file name without extension
        juce::Rectangle<int> background; // (0, 0) and the size of its "Background.png"; empty without one
        juce::Image thumbnail;           // its "Thumbnail.png"; null without one
    };

    /** The editor. Called on the message thread, the last added listener first. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void defaultSkinChanged (GUISettingsComponent*) = 0;
        virtual void currentSkinChanged (GUISettingsComponent*) = 0;
    };

    /** The skin's thumbnail in a black frame above a line naming the screen resolution. */
    class SkinPreview : public juce::Component
    {
    public:
        /** Sized (screen width / 10 + 6) x (screen height / 10 + 26). */
        explicit SkinPreview (juce::Rectangle<int> screenArea);

        void setImage (const juce::Image& image);
        const juce::Image& getImage() const noexcept { return thumbnail; }
        juce::Rectangle<int> getScreenArea() const noexcept { return screenArea; }
        juce::String getResolutionText() const;

        void paint (juce::Graphics&) override;

    private:
        juce::Image thumbnail;
        juce::Rectangle<int> screenArea;
    };

    /** The size previews report when there is no display to measure (a headless machine). */
    static constexpr int fallbackScreenWidth = 1920;
    static constexpr int fallbackScreenHeight = 1080;

    /** The first display's total area; the fallback size when there is no display. */
    static juce::Rectangle<int> getFirstDisplayArea();

    /** Reads the skins folder of the plug-in (SkinSource::getSkinsDirectory) and selects the two names
        without notifying anybody. */
    GUISettingsComponent (BasePlugin& plugin, const juce::String& defaultSkinName,
                          const juce::String& currentSkinName);
    ~GUISettingsComponent() override;

    /** Null and duplicates are ignored. */
    void addListener (Listener*);
    void removeListener (Listener*);

    /** The chosen entry's name; empty when none is chosen. */
    juce::String getDefaultSkinName() const;
    juce::String getCurrentSkinName() const;

    /** A name in the list (ignoring case) is chosen and shown; with notify the listeners hear of it. A name
        not in the list changes nothing and tells nobody. */
    void setDefaultSkinName (const juce::String& name, bool notify);
    void setCurrentSkinName (const juce::String& name, bool notify);

    /** The first entry of that name, ignoring case; -1 when none. */
    int findSkin (const juce::String& name) const;

    const std::vector<SkinEntry>& getSkinEntries() const noexcept { return entries; }
    ComboBoxButton& getDefaultChooser() noexcept { return defaultChooser; }
    ComboBoxButton& getCurrentChooser() noexcept { return currentChooser; }
    SkinPreview& getDefaultPreview() noexcept { return defaultPreview; }
    SkinPreview& getCurrentPreview() noexcept { return currentPreview; }
    PanelComponent& getDefaultPanel() noexcept { return defaultPanel; }
    PanelComponent& getCurrentPanel() noexcept { return currentPanel; }
    const PopupMenuEx& getMenu() const noexcept { return menu; }

    /** The menu text of an entry: "Dark - 1024 x 600". */
    static juce::String itemText (const SkinEntry& entry);

    void comboBoxButtonChanged (ComboBoxButton*) override;
    void resized() override;

protected:
    /** Run at the end of each setter that found its name. */
    virtual void defaultSkinSelected() {}
    virtual void currentSkinSelected() {}

private:
    void readSkins (BasePlugin& plugin);
    juce::String nameOfEntry (int index) const;

    PanelComponent defaultPanel{"Default skin"}, currentPanel{"Current skin"};
    ComponentRow defaultRow, currentRow;
    ComboBoxButton defaultChooser, currentChooser;
    SkinPreview defaultPreview, currentPreview;
    PopupMenuEx menu;
    std::vector<SkinEntry> entries;
    ListenerArray<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GUISettingsComponent)
};
