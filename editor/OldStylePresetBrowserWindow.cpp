#include "editor/OldStylePresetBrowserWindow.h"

#include "editor/EditorStatusTexts.h"
#include "editor/StatusBar.h"
#include "framework/BasePluginOldStyle.h"
#include "framework/XmlHelpers.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/lookandfeel/SkinArtwork.h"

namespace
{
constexpr int iconSize = 16;

/** A row icon from one of the look and feel's symbols, in the given colour. */
juce::Image makeRowIcon (int symbol, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, iconSize, iconSize, true);
    if (auto drawable = DefaultLookAndFeel::getIcon (symbol))
    {
        drawable->replaceColour (juce::Colours::black, colour);
        juce::Graphics g (image);
        drawable->drawWithin (g, juce::Rectangle<float> (0.0f, 0.0f, (float) iconSize, (float) iconSize),
                              juce::RectanglePlacement::centred, 1.0f);
    }
    return image;
}

/** The rows being dragged from a list column (the drag's own copy, so a closed column still answers). */
const juce::SparseSet<int>& draggedRowsOf (ColumnBrowser::ListColumn* source)
{
    static const juce::SparseSet<int> none;
    return source != nullptr ? source->getDraggedRows() : none;
}
} // namespace

//==============================================================================
OldStylePresetsBrowser::CommonColumn::CommonColumn (OldStylePresetsBrowser& owner, bool groupIcons)
    : ListColumn (owner)
    , presetsBrowser (owner)
    , processor (owner.getProcessor())
{
    const int symbol = groupIcons ? SkinArtwork::openFolderIcon : SkinArtwork::documentIcon;
    icon = makeRowIcon (symbol, juce::Colour (0xFF505050));
    selectedIcon = makeRowIcon (symbol, juce::Colours::white);
}

juce::Image OldStylePresetsBrowser::CommonColumn::getItemIcon (int, bool selected)
{
    return selected ? selectedIcon : icon;
}

//==============================================================================
OldStylePresetsBrowser::GroupListColumn::GroupListColumn (OldStylePresetsBrowser& owner)
    : CommonColumn (owner, true)
{
    getList().setMultipleSelectionEnabled (false);
}

int OldStylePresetsBrowser::GroupListColumn::getNumItems()
{
    return processor.getNumGroups();
}

juce::String OldStylePresetsBrowser::GroupListColumn::getItemText (int row)
{
    return processor.getGroupName (row);
}

bool OldStylePresetsBrowser::GroupListColumn::hasSubItems (int row)
{
    return processor.getGroupSize (row) > 0;
}

ColumnBrowser::Column* OldStylePresetsBrowser::GroupListColumn::createColumnForItem (int row)
{
    return new PresetListColumn (presetsBrowser, row);
}

void OldStylePresetsBrowser::GroupListColumn::itemSelected (int)
{
    presetsBrowser.selectCurrentPreset();
}

void OldStylePresetsBrowser::GroupListColumn::setItemText (int row, const juce::String& text)
{
    if (isAcceptableName (text))
        processor.setGroupName (row, text);
    updateContent(); // a refused name shows the old one again
}

bool OldStylePresetsBrowser::GroupListColumn::canDropOnto (ListColumn* source, int)
{
    return dynamic_cast<PresetListColumn*> (source) != nullptr;
}

bool OldStylePresetsBrowser::GroupListColumn::canDropBefore (ListColumn* source, int)
{
    return dynamic_cast<GroupListColumn*> (source) != nullptr;
}

bool OldStylePresetsBrowser::GroupListColumn::canDropAfter (ListColumn* source, int row)
{
    return canDropBefore (source, row);
}

void OldStylePresetsBrowser::GroupListColumn::dropOnto (ListColumn* source, int row)
{
    auto* from = dynamic_cast<PresetListColumn*> (source);
    if (from == nullptr)
        return;
    processor.movePresetsToGroup (row, from->getGroup(), draggedRowsOf (from));
    // The moved rows now hold other presets: the selection is the current preset's again.
    from->getList().deselectAllRows();
    from->updateContent();
    presetsBrowser.selectCurrentPreset();
}

void OldStylePresetsBrowser::GroupListColumn::dropBefore (ListColumn* source, int row)
{
    reorder (source, row, false);
}

void OldStylePresetsBrowser::GroupListColumn::dropAfter (ListColumn* source, int row)
{
    reorder (source, row, true);
}

void OldStylePresetsBrowser::GroupListColumn::reorder (ListColumn* source, int row, bool after)
{
    const auto& rows = draggedRowsOf (source);
    if (dynamic_cast<GroupListColumn*> (source) == nullptr || rows.size() != 1)
        return;

    const int from = rows[0];
    int to = row;
    if (!after && to > from)
        --to;
    else if (after && to < from)
        ++to;
    processor.moveGroup (from, to);

    // Selecting the moved group shows its presets in place of a list that now names another group.
    getList().updateContent();
    getList().selectRow (to);
    getList().scrollToEnsureRowIsOnscreen (to);
}

//==============================================================================
OldStylePresetsBrowser::PresetListColumn::PresetListColumn (OldStylePresetsBrowser& owner, int groupIndex)
    : CommonColumn (owner, false)
    , group (groupIndex)
{
}

bool OldStylePresetsBrowser::PresetListColumn::acceptsPrevious (Column* column)
{
    auto* groups = dynamic_cast<GroupListColumn*> (column);
    return groups != nullptr && &groups->getBrowser() == &getBrowser();
}

ColumnBrowser::Column* OldStylePresetsBrowser::PresetListColumn::createPreviousColumn()
{
    return new GroupListColumn (presetsBrowser);
}

int OldStylePresetsBrowser::PresetListColumn::getNumItems()
{
    return processor.getGroupSize (group);
}

juce::String OldStylePresetsBrowser::PresetListColumn::getItemText (int row)
{
    return processor.getGroupPresetName (group, row);
}

void OldStylePresetsBrowser::PresetListColumn::itemSelected (int row)
{
    const int index = processor.getPresetIndex (group, row);
    // The current preset is not loaded again: that would throw away edits not yet stored.
    if (index < 0 || index == processor.getCurrentPresetIndex() || index >= processor.getNumPresets())
        return;
    processor.selectPreset (index);
}

void OldStylePresetsBrowser::PresetListColumn::setItemText (int row, const juce::String& text)
{
    const int index = processor.getPresetIndex (group, row);
    if (index >= 0 && isAcceptableName (text))
        processor.setPresetName (index, text);
    updateContent(); // a refused name shows the old one again
}

bool OldStylePresetsBrowser::PresetListColumn::canDropAtEnd (ListColumn* source)
{
    return dynamic_cast<PresetListColumn*> (source) != nullptr;
}

bool OldStylePresetsBrowser::PresetListColumn::canDropBefore (ListColumn* source, int)
{
    return dynamic_cast<PresetListColumn*> (source) != nullptr && draggedRowsOf (source).size() == 1;
}

bool OldStylePresetsBrowser::PresetListColumn::canDropAfter (ListColumn* source, int row)
{
    return canDropBefore (source, row);
}

void OldStylePresetsBrowser::PresetListColumn::dropAtEnd (ListColumn* source)
{
    auto* from = dynamic_cast<PresetListColumn*> (source);
    if (from == nullptr)
        return;
    processor.movePresetsToGroup (group, from->getGroup(), draggedRowsOf (from));
    from->getList().deselectAllRows();
    from->updateContent();
    updateContent();
    presetsBrowser.selectCurrentPreset();
}

void OldStylePresetsBrowser::PresetListColumn::dropBefore (ListColumn* source, int row)
{
    moveSingle (source, row, false);
}

void OldStylePresetsBrowser::PresetListColumn::dropAfter (ListColumn* source, int row)
{
    moveSingle (source, row, true);
}

void OldStylePresetsBrowser::PresetListColumn::moveSingle (ListColumn* source, int row, bool after)
{
    auto* from = dynamic_cast<PresetListColumn*> (source);
    const auto& rows = draggedRowsOf (from);
    if (from == nullptr || rows.size() != 1)
        return;

    const int fromIndex = processor.getPresetIndex (from->getGroup(), rows[0]);
    int to = processor.getPresetIndex (group, row);
    if (fromIndex < 0 || to < 0)
        return;
    if (!after && to > fromIndex)
        --to;
    else if (after && to < fromIndex)
        ++to;
    processor.movePreset (fromIndex, to, from->getGroup(), group);

    // The moved preset's row, found where it landed. Selected without loading: the bank keeps the preset
    // that was current, and loading another one would discard edits not yet stored.
    if (from != this)
    {
        from->getList().deselectAllRows();
        from->updateContent();
    }
    updateContent();
    const int landed = to - processor.getGroupFirstPresetIndex (group);
    if (juce::isPositiveAndBelow (landed, getNumItems()))
    {
        getList().selectRowQuietly (landed);
        getList().scrollToEnsureRowIsOnscreen (landed);
    }
}

//==============================================================================
OldStylePresetsBrowser::OldStylePresetsBrowser (OldStylePresetBrowserWindow& w, BasePluginOldStyle& p)
    : window (w)
    , processor (p)
{
    setScrollBarsShown (false, false);
}

ColumnBrowser::Column* OldStylePresetsBrowser::createRootColumn()
{
    return new GroupListColumn (*this);
}

void OldStylePresetsBrowser::columnsUpdated()
{
    window.updateButtons();
}

bool OldStylePresetsBrowser::isAcceptableName (const juce::String& name)
{
    return name.trim().isNotEmpty();
}

OldStylePresetsBrowser::GroupListColumn* OldStylePresetsBrowser::getGroupColumn() const
{
    return dynamic_cast<GroupListColumn*> (getColumn (0));
}

OldStylePresetsBrowser::PresetListColumn* OldStylePresetsBrowser::getPresetColumn() const
{
    return dynamic_cast<PresetListColumn*> (getColumn (1));
}

int OldStylePresetsBrowser::getSelectedGroup() const
{
    auto* groups = getGroupColumn();
    return groups != nullptr ? groups->getList().getSelectedRow (0) : -1;
}

void OldStylePresetsBrowser::selectPreset (int group, int row)
{
    if (getGroupColumn() == nullptr)
        openColumn (createRootColumn());
    if (!juce::isPositiveAndBelow (group, processor.getNumGroups()))
        return;

    auto* presets = getPresetColumn();
    if (presets == nullptr || presets->getGroup() != group)
    {
        openColumn (new PresetListColumn (*this, group));
        presets = getPresetColumn();
    }
    if (presets == nullptr)
        return;

    // Quiet selections: the preset is current already, and a group selected with its callback would
    // replace the preset list just opened.
    auto& presetList = presets->getList();
    if (row < 0)
        presetList.deselectAllRows();
    else if (!presetList.isRowSelected (row) || presetList.getNumSelectedRows() != 1)
    {
        presetList.selectRowQuietly (row);
        presetList.scrollToEnsureRowIsOnscreen (row);
    }

    auto& groupList = getGroupColumn()->getList();
    groupList.selectRowQuietly (group);
    groupList.scrollToEnsureRowIsOnscreen (group);
}

void OldStylePresetsBrowser::selectCurrentPreset()
{
    auto* presets = getPresetColumn();
    if (presets == nullptr)
        return;
    const int current = processor.getCurrentPresetIndex();
    if (processor.getGroupIndexOfPreset (current) != presets->getGroup())
        return;
    const int first = processor.getGroupFirstPresetIndex (presets->getGroup());
    const int row = first < 0 ? -1 : current - first;
    if (row < 0)
        return;
    presets->getList().selectRowQuietly (row);
    presets->getList().scrollToEnsureRowIsOnscreen (row);
}

//==============================================================================
OldStylePresetBrowserWindow::OldStylePresetBrowserWindow (BasePluginOldStyle& p)
    : processor (p)
    , browser (std::make_unique<OldStylePresetsBrowser> (*this, p))
{
    setTitle ("Preset Browser");

    toolbarRow.setOrientation (ComponentRow::vertical);
    fileRow.setOrientation (ComponentRow::horizontal);
    fileRow.setAlignment (ComponentRow::alignCentre);
    fileRow.setSpacing (6);

    const std::pair<ToolbarDrawableButton*, const char*> tools[] = {
        {&addGroupButton, "Add group"},        {&removeGroupButton, "Remove empty group"},
        {&copyButton, "Copy current preset"},  {&pasteButton, "Paste copied preset"},
        {&upButton, "Select previous preset"}, {&downButton, "Select next preset"}};
    for (const auto& [button, tip] : tools)
    {
        button->setSize (24, 24);
        button->setTooltip (tip);
        button->addListener (this);
        toolbarRow.addAndMakeVisible (button);
    }
    // Held, they step through the bank: a second before the first repeat, then ten a second.
    upButton.setRepeatSpeed (1000, 100);
    downButton.setRepeatSpeed (1000, 100);

    const juce::Font labelFont ("Tahoma", 13.0f, juce::Font::plain);
    const std::pair<juce::TextButton*, const char*> files[] = {{&loadPresetButton, "Load preset"},
                                                               {&savePresetButton, "Save current preset"},
                                                               {&loadBankButton, "Load preset bank"},
                                                               {&saveBankButton, "Save current preset bank"}};
    for (auto* label : {&presetLabel, &bankLabel})
    {
        label->setFont (labelFont);
        label->setJustificationType (juce::Justification::centredRight);
        const auto labelBorder = label->getBorderSize();
        label->setSize (labelFont.getStringWidth (label->getText()) + 2 * labelBorder.getLeftAndRight(), 20);
    }
    for (const auto& [button, tip] : files)
    {
        button->setTooltip (tip);
        button->setWantsKeyboardFocus (false);
        button->addListener (this);
    }
    for (juce::Component* c :
         std::initializer_list<juce::Component*>{&presetLabel, &loadPresetButton, &savePresetButton,
                                                 &bankLabel, &loadBankButton, &saveBankButton})
        fileRow.addAndMakeVisible (c);

    addAndMakeVisible (*browser);
    addAndMakeVisible (toolbarRow);
    addAndMakeVisible (fileRow);
    resized();

    auto& manager = processor.getParameterManager();
    for (int id : {BasePluginOldStyle::currentPresetNumberId, BasePluginOldStyle::currentPresetNameId})
    {
        manager.addAsyncListener (id, this);
        parameterChanged (manager.getParameter (id));
    }
}

OldStylePresetBrowserWindow::~OldStylePresetBrowserWindow()
{
    chooserPolicy.cancel();
    auto& manager = processor.getParameterManager();
    manager.removeAsyncListener (BasePluginOldStyle::currentPresetNumberId, this);
    manager.removeAsyncListener (BasePluginOldStyle::currentPresetNameId, this);
    browser.reset();
}

void OldStylePresetBrowserWindow::setStatusBar (StatusBar* bar)
{
    statusBar = bar;
}

void OldStylePresetBrowserWindow::setFilePrompt (FilePrompt newPrompt)
{
    prompt = std::move (newPrompt);
}

void OldStylePresetBrowserWindow::resized()
{
    WindowComponent::resized();

    // Text buttons take the look and feel's width for their height, which a new look and feel changes.
    for (auto* b : {&loadPresetButton, &savePresetButton, &loadBankButton, &saveBankButton})
        b->changeWidthToFitText (20);

    const auto content = getContentArea();
    toolbarRow.setTopLeftPosition (content.getPosition());
    fileRow.setTopLeftPosition (content.getRight() - 6 - fileRow.getWidth(),
                                content.getBottom() - fileRow.getHeight());
    browser->setBounds (content.withTrimmedLeft (toolbarRow.getWidth() + 5)
                            .withTrimmedBottom (fileRow.getHeight() + 6)
                            .withTrimmedRight (1));
}

void OldStylePresetBrowserWindow::updateButtons()
{
    auto* groups = browser->getGroupColumn();
    const bool one = groups != nullptr && groups->getList().getNumSelectedRows() == 1;
    addGroupButton.setEnabled (one);
    removeGroupButton.setEnabled (one && processor.getGroupSize (browser->getSelectedGroup()) == 0);
}

void OldStylePresetBrowserWindow::showCurrentPreset()
{
    const int index = processor.getCurrentPresetIndex();
    const int group = processor.getGroupIndexOfPreset (index);
    const int first = processor.getGroupFirstPresetIndex (group);
    browser->selectPreset (group, first == -1 ? -1 : index - first);
    browser->updateColumns();
}

void OldStylePresetBrowserWindow::parameterChanged (Parameter* parameter)
{
    if (parameter == nullptr)
        return;
    if (parameter->getId() == BasePluginOldStyle::currentPresetNumberId)
        showCurrentPreset();
    else if (parameter->getId() == BasePluginOldStyle::currentPresetNameId)
        browser->updateColumns();
}

void OldStylePresetBrowserWindow::buttonClicked (juce::Button* button)
{
    if (button == &addGroupButton)
    {
        processor.insertGroup (browser->getSelectedGroup());
        browser->updateColumns();
    }
    else if (button == &removeGroupButton)
    {
        // Only an empty group goes; the lists then show the current preset again, since the preset list
        // may have named the group that is gone.
        if (processor.removeEmptyGroup (browser->getSelectedGroup()))
            showCurrentPreset();
        else
            browser->updateColumns();
    }
    else if (button == &copyButton)
        processor.copyCurrentPreset();
    else if (button == &pasteButton)
        processor.pasteCopiedPreset();
    else if (button == &upButton)
        processor.selectPreviousPreset();
    else if (button == &downButton)
        processor.selectNextPreset();
    else if (button == &loadPresetButton)
        ask ("Load single preset", processor.getPresetFileWildcards(), false,
             &OldStylePresetBrowserWindow::loadPreset);
    else if (button == &savePresetButton)
        ask ("Save current settings as preset", processor.getPresetFileWildcard(), true,
             &OldStylePresetBrowserWindow::savePreset, processor.getPresetFileExtension());
    else if (button == &loadBankButton)
        ask ("Load preset bank", processor.getPresetBankFileWildcards(), false,
             &OldStylePresetBrowserWindow::loadBank);
    else if (button == &saveBankButton)
        ask ("Save preset bank", processor.getPresetBankFileWildcard(), true,
             &OldStylePresetBrowserWindow::saveBank, processor.getPresetBankFileExtension());
    else
        WindowComponent::buttonClicked (button);
}

void OldStylePresetBrowserWindow::ask (const juce::String& dialogTitle, const juce::String& patterns,
                                       bool saving,
                                       void (OldStylePresetBrowserWindow::*onChosen) (const juce::File&),
                                       const juce::String& savedExtension)
{
    FileChooserPolicy::Request request;
    request.title = dialogTitle;
    request.initialLocation = processor.getRecentlyUsedDirectory();
    request.patterns = patterns;
    request.saving = saving;
    request.folders = false; // presets and banks are files: a chooser must let the user pick one
    request.savedExtension = savedExtension;

    juce::Component::SafePointer<OldStylePresetBrowserWindow> self (this);
    auto callback = [self, onChosen] (const juce::File& file)
    {
        if (self != nullptr && file != juce::File())
            (self.getComponent()->*onChosen) (file);
    };

    if (prompt != nullptr)
        prompt (request, std::move (callback));
    else
        chooserPolicy.launch (request, std::move (callback));
}

void OldStylePresetBrowserWindow::reportFailure (const juce::String& text)
{
    if (statusBar != nullptr)
        statusBar->showTemporaryText (text, EditorStatusTexts::failurePriority);
}

void OldStylePresetBrowserWindow::loadPreset (const juce::File& file)
{
    if (!processor.loadPresetFile (file, processor.getCurrentPresetIndex()))
    {
        reportFailure (EditorStatusTexts::loadFailed (file, "a preset"));
        return;
    }
    processor.setRecentlyUsedDirectory (file.getParentDirectory());
    browser->updateColumns();
}

void OldStylePresetBrowserWindow::savePreset (const juce::File& file)
{
    const auto xml = processor.createCurrentPresetXml(); // with the changes not yet stored
    // Written through a temporary file: a failed write leaves an existing file, or a folder of that name, as
    // it was (juce::XmlElement::writeTo would put the file in place of an empty folder).
    if (xml == nullptr || !XmlHelpers::writeToFile (*xml, file))
    {
        showSaveFailed (statusBar, file, "the preset");
        return;
    }
    processor.setRecentlyUsedDirectory (file.getParentDirectory());
}

void OldStylePresetBrowserWindow::loadBank (const juce::File& file)
{
    // The processor reads the whole file aside first: a bank that does not parse leaves the bank as it was.
    if (!processor.loadPresetBankFile (file))
    {
        reportFailure (EditorStatusTexts::loadFailed (file, "a preset bank"));
        return;
    }
    // The current index may be the same as before, so no parameter notice would refresh the lists.
    showCurrentPreset();
}

void OldStylePresetBrowserWindow::saveBank (const juce::File& file)
{
    const auto xml = processor.createPresetBankXml();
    if (xml == nullptr || !XmlHelpers::writeToFile (*xml, file))
    {
        showSaveFailed (statusBar, file, "the preset bank");
        return;
    }
    processor.setRecentlyUsedDirectory (file.getParentDirectory());
}
