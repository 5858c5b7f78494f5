#pragma once

#include "framework/Parameter.h"
#include "skin/browser/ColumnBrowser.h"
#include "skin/widgets/ToolbarDrawableButton.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/FileChooserPolicy.h"
#include "skin/windows/WindowComponent.h"

#include <functional>
#include <memory>

class BasePluginOldStyle;
class OldStylePresetBrowserWindow;
class StatusBar;

/** The preset bank as two columns: the groups, and the presets of the selected group. Selecting a preset
    loads it; presets are renamed in place and moved by drag and drop, within a group, onto another group,
    or into another group's list (held over a group, its list opens). Message thread only. */
class OldStylePresetsBrowser : public ColumnBrowser
{
public:
    /** What both columns share: the processor and the two icons of their rows. */
    class CommonColumn : public ColumnBrowser::ListColumn
    {
    public:
        CommonColumn (OldStylePresetsBrowser& owner, bool groupIcons);

        juce::Image getItemIcon (int row, bool selected) override;
        bool isResizable() override { return false; }

    protected:
        OldStylePresetsBrowser& presetsBrowser;
        BasePluginOldStyle& processor;
        juce::Image icon, selectedIcon;
    };

    class GroupListColumn : public CommonColumn
    {
    public:
        explicit GroupListColumn (OldStylePresetsBrowser& owner);

        bool acceptsPrevious (Column*) override { return false; }
        bool isPreviousColumn (Column*) override { return false; }
        int getDefaultWidth() override { return 241; }

        int getNumItems() override;
        juce::String getItemText (int row) override;
        bool hasSubItems (int row) override;
        Column* createColumnForItem (int row) override;
        void itemSelected (int row) override;
        void setItemText (int row, const juce::String& text) override;

        bool canDropAtEnd (ListColumn*) override { return false; }
        bool canDropOnto (ListColumn* source, int row) override;
        bool canDropBefore (ListColumn* source, int row) override;
        bool canDropAfter (ListColumn* source, int row) override;
        void dropOnto (ListColumn* source, int row) override;
        void dropBefore (ListColumn* source, int row) override;
        void dropAfter (ListColumn* source, int row) override;

    private:
        void reorder (ListColumn* source, int row, bool after);
    };

    class PresetListColumn : public CommonColumn
    {
    public:
        PresetListColumn (OldStylePresetsBrowser& owner, int group);

        int getGroup() const noexcept { return group; }

        bool acceptsPrevious (Column* column) override;
        bool isPreviousColumn (Column* column) override { return acceptsPrevious (column); }
        Column* createPreviousColumn() override;
        int getDefaultWidth() override { return 350; }

        int getNumItems() override;
        juce::String getItemText (int row) override;
        void itemSelected (int row) override;
        void setItemText (int row, const juce::String& text) override;

        bool canDropAtEnd (ListColumn* source) override;
        bool canDropOnto (ListColumn*, int) override { return false; }
        bool canDropBefore (ListColumn* source, int row) override;
        bool canDropAfter (ListColumn* source, int row) override;
        void dropAtEnd (ListColumn* source) override;
        void dropBefore (ListColumn* source, int row) override;
        void dropAfter (ListColumn* source, int row) override;

    private:
        void moveSingle (ListColumn* source, int row, bool after);

        const int group;
    };

    OldStylePresetsBrowser (OldStylePresetBrowserWindow& window, BasePluginOldStyle& processor);

    Column* createRootColumn() override;
    void columnsUpdated() override;

    /** Shows the group's presets (opening its list when another one shows) and selects the row there and
        the group in the group list, without loading anything. Row -1 selects no preset. */
    void selectPreset (int group, int row);
    /** Selects the current preset's row when the preset list shows its group. */
    void selectCurrentPreset();
    /** The group list's first selected row; -1 without a group list or a selection. */
    int getSelectedGroup() const;

    GroupListColumn* getGroupColumn() const;
    PresetListColumn* getPresetColumn() const;

    BasePluginOldStyle& getProcessor() const noexcept { return processor; }
    OldStylePresetBrowserWindow& getWindow() const noexcept { return window; }

    /** A name nobody could find again in the list: refused. */
    static bool isAcceptableName (const juce::String& name);

private:
    OldStylePresetBrowserWindow& window;
    BasePluginOldStyle& processor;

    JUCE_DECLARE_NON_COPYABLE (OldStylePresetsBrowser)
};

/** The "Preset Browser" window of the old-style editor: the bank's groups and presets, group and preset
    operations on a toolbar, and single presets and whole banks loaded from and saved to files. It follows
    the current preset through "Current Preset Number" and "Current Preset Name".

    Files are asked for through a prompt: by default the one file chooser policy, in tests a function that
    records the request and answers it. A load or save that fails leaves the bank, the files and the
    recently used folder as they were and says so on the status bar, when the owner gave one.

    Message thread only; lives as long as its editor. */
class OldStylePresetBrowserWindow : public WindowComponent, public Parameter::Listener
{
public:
    /** Asks for a file; calls back with the choice, or never when the user cancels. */
    using FilePrompt = std::function<void (const FileChooserPolicy::Request&, FileChooserPolicy::Callback)>;

    explicit OldStylePresetBrowserWindow (BasePluginOldStyle& processor);
    ~OldStylePresetBrowserWindow() override;

    /** Where failures are reported; null (the default) reports nowhere. */
    void setStatusBar (StatusBar* bar);
    /** An empty function restores the file chooser policy. */
    void setFilePrompt (FilePrompt newPrompt);

    void buttonClicked (juce::Button*) override;
    /** Asynchronous, on the message thread: 110000 selects the current preset, 110001 refreshes. */
    void parameterChanged (Parameter*) override;
    void resized() override;
    bool shouldDimBackground() const override { return true; }
    void updateButtons();

    /** Re-selects the current preset in the browser and refreshes both lists. */
    void showCurrentPreset();

    OldStylePresetsBrowser& getBrowser() noexcept { return *browser; }
    BasePluginOldStyle& getProcessor() noexcept { return processor; }

    juce::Button& getAddGroupButton() noexcept { return addGroupButton; }
    juce::Button& getRemoveGroupButton() noexcept { return removeGroupButton; }
    juce::Button& getCopyButton() noexcept { return copyButton; }
    juce::Button& getPasteButton() noexcept { return pasteButton; }
    juce::Button& getUpButton() noexcept { return upButton; }
    juce::Button& getDownButton() noexcept { return downButton; }
    juce::Button& getLoadPresetButton() noexcept { return loadPresetButton; }
    juce::Button& getSavePresetButton() noexcept { return savePresetButton; }
    juce::Button& getLoadBankButton() noexcept { return loadBankButton; }
    juce::Button& getSaveBankButton() noexcept { return saveBankButton; }
    FileChooserPolicy& getChooser() noexcept { return chooserPolicy; }
    const ComponentRow& getToolbarRow() const noexcept { return toolbarRow; }
    const ComponentRow& getFileRow() const noexcept { return fileRow; }

private:
    void loadPreset (const juce::File&);
    /** The saves write the file the chooser hands them, which already has its extension (ask). */
    void savePreset (const juce::File&);
    void loadBank (const juce::File&);
    void saveBank (const juce::File&);
    /** savedExtension: what a save adds to the chosen name (the chooser asks about that file). */
    void ask (const juce::String& dialogTitle, const juce::String& patterns, bool saving,
              void (OldStylePresetBrowserWindow::*onChosen) (const juce::File&),
              const juce::String& savedExtension = {});
    void reportFailure (const juce::String& text);

    BasePluginOldStyle& processor;
    std::unique_ptr<OldStylePresetsBrowser> browser;
    ComponentRow toolbarRow, fileRow;
    ToolbarDrawableButton addGroupButton{"Add Group", 13}, removeGroupButton{"Rem Group", 14},
        copyButton{"Copy", 1}, pasteButton{"Paste", 3}, upButton{"Up", 6}, downButton{"Down", 5};
    juce::Label presetLabel{"Preset", "Preset"}, bankLabel{"Bank", "Bank"};
    juce::TextButton loadPresetButton{"Load"}, savePresetButton{"Save"}, loadBankButton{"Load"},
        saveBankButton{"Save"};

    FileChooserPolicy chooserPolicy{*this};
    FilePrompt prompt;
    juce::Component::SafePointer<StatusBar> statusBar;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OldStylePresetBrowserWindow)
};
