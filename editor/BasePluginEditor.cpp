#include "editor/BasePluginEditor.h"

#include "editor/AboutWindow.h"
#include "editor/EditorStatusTexts.h"
#include "editor/OptionsWindow.h"
#include "editor/StatusBar.h"
#include "editor/pages/HostParametersComponent.h"
#include "editor/pages/MidiControlComponent.h"
#include "editor/pages/PresetsSettingsComponent.h"
#include "editor/pages/ProcessingSettingsComponent.h"
#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"
#include "skin/controls/GFXAnimation.h"
#include "skin/controls/GFXButton.h"
#include "skin/controls/GFXKnob.h"
#include "skin/controls/GFXMultiStateButton.h"
#include "skin/controls/GFXSwitch.h"
#include "skin/controls/GFXToggleButton.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"

namespace
{
constexpr const char* presetsCollectionName = "Presets";
constexpr const char* makerName = "Zeb Group";

juce::String lowerCaseExtension (const BasePlugin& plugin, const char* suffix)
{
    return ("." + plugin.getFilePrefix() + suffix).toLowerCase();
}
} // namespace

//==============================================================================
BasePluginEditor::BasePluginEditor (BasePlugin& p)
    : plugin (p)
    , saveFlow (p, *this, *this)
{
    // 1. The pages every editor holds.
    const juce::String ccExtension = lowerCaseExtension (plugin, "ccmap");
    midiControlPage = std::make_unique<MidiControlComponent> (plugin.getMidiControl(), ccExtension,
                                                              BasePlugin::makeFileWildcard (ccExtension));
    hostParametersPage = std::make_unique<HostParametersComponent> (plugin);
    presetsPage = std::make_unique<PresetsSettingsComponent> (plugin);

    // 2. Logos (a missing one is a null image) and the look and feel.
    zebLogo = getResourceAsImage ("ZebLogo.png");
    pluginLogo = getResourceAsImage ("PluginLogo.png");
    setLookAndFeel (&lookAndFeel);

    // 3. The tooltip window is made while the editor shows (see visibilityChanged): its own timer polls
    // the mouse for as long as it exists.

    // 4. The status bar. It ran its constructor before it had the editor's look and feel and took no height
    // then: it takes it here, so that the first skin's window, a user's one too, is checked with its rows.
    statusBar = std::make_unique<StatusBar>();
    addAndMakeVisible (*statusBar);
    statusBar->sendLookAndFeelChange();
    saveFlow.setStatusBar (statusBar.get());
    midiControlPage->setStatusBar (statusBar.get());
    hostParametersPage->setStatusBar (statusBar.get());

    // 5, 6. The about and options windows, hidden until asked for.
    aboutWindow = std::make_unique<AboutWindow> (plugin);
    aboutWindow->setSize (640, 480);
    addChildComponent (*aboutWindow);

    optionsWindow = std::make_unique<OptionsWindow>();
    optionsWindow->setTitle ("Options");
    optionsWindow->getTabs().addListener (this);
    optionsWindow->setSize (800, 600);
    addChildComponent (*optionsWindow);

    auto& tabs = optionsWindow->getTabs();

    // 7. The plain start-up order shows the framework's preset folder and host map pages.
    if (!plugin.isUsingLayeredInitialise())
    {
        tabs.addTab ("Presets", juce::Colour (tabColour), presetsPage.get(), false);
        tabs.addTab ("Parameters", juce::Colour (tabColour), hostParametersPage.get(), false);
        const juce::String hpExtension = lowerCaseExtension (plugin, "hpmap");
        hostParametersPage->setMapFileExtension (hpExtension);
        hostParametersPage->setMapFileWildcard (BasePlugin::makeFileWildcard (hpExtension));
    }

    // 8. MIDI control.
    midiControlPage->getDefaultMapBox().addListener (this);
    plugin.getMidiControl().addListener (this);
    tabs.addTab ("Midi Control", juce::Colour (tabColour), midiControlPage.get(), false);

    // 9. Every parameter's asynchronous notices.
    plugin.getParameterManager().addAsyncListenerToAll (this);

    // 10. The built-in skin.
    setEditorSize (800, 600);
    applySkin ({});

    // 11.
    plugin.addListener (this);
}

BasePluginEditor::~BasePluginEditor()
{
    stopTimer();
    plugin.removeListener (this);
    plugin.getMidiControl().removeListener (this);
    plugin.getParameterManager().removeAsyncListenerFromAll (this);
    midiControlPage->getDefaultMapBox().removeListener (this);
    if (guiPage != nullptr)
        guiPage->removeListener (this);

    optionsWindow->getTabs().removeListener (this);
    optionsWindow.reset();
    skinPanel.reset();
    midiLearnButton = nullptr;
    midiActivityLight = nullptr;
    debugKnobs.clear();
    debugButtons.clear();
    debugPanel.reset();
    statusBar.reset();
    tooltipWindow.reset();
    genericControls.clear();
    presetBrowserWindow.reset();
    aboutWindow.reset();
    guiPage.reset();
    processingPage.reset();
    presetsPage.reset();
    hostParametersPage.reset();
    midiControlPage.reset();

    setLookAndFeel (nullptr);
}

std::unique_ptr<juce::Component> BasePluginEditor::initialised (std::unique_ptr<BasePluginEditor> editor)
{
    if (editor == nullptr)
        return nullptr;

    editor->initialise();
    editor->afterInitialise();
    if (editor->plugin.hasDebugParameters())
        editor->createDebugPanel();
    return editor;
}

//==============================================================================
void BasePluginEditor::initialise()
{
    // 1. The editor's element of the user settings; a missing or foreign file changes nothing.
    if (const auto root = XmlHelpers::parse (plugin.getUserSettingsFile()))
        if (plugin.isUserSettingsXml (*root))
            if (const auto* element = XmlHelpers::findChild (*root, getSettingsXmlTag()))
                restoreSettingsXml (*element);

    auto& tabs = optionsWindow->getTabs();

    // 2. The processing page, plain start-up order only.
    if (!plugin.isUsingLayeredInitialise())
    {
        processingPage = createProcessingSettingsPage();
        if (processingPage != nullptr)
        {
            if (auto* page = dynamic_cast<ProcessingSettingsComponent*> (processingPage.get()))
            {
                auto& manager = plugin.getParameterManager();
                page->bindQualityParameters (
                    manager.getParameter (plugin.getRealtimeQualityParameterId()),
                    manager.getParameter (plugin.getOfflineQualityParameterId()),
                    manager.getParameter (plugin.getDefaultRealtimeQualityParameterId()),
                    manager.getParameter (plugin.getDefaultOfflineQualityParameterId()));
            }
            tabs.addTab ("Processing", juce::Colour (tabColour), processingPage.get(), false, 0);
            tabs.setCurrentTabIndex (-1, false);
            tabs.setCurrentTabIndex (0, false);
        }
    }

    // 3. The skin of the user's choice.
    if (skinFilesEnabled)
    {
        guiPage = createGUISettingsPage();
        if (guiPage != nullptr)
        {
            guiPage->addListener (this);
            tabs.addTab ("GUI", juce::Colour (tabColour), guiPage.get(), false, 10);

            if (defaultSkinName.isEmpty() || !getSkinFile (defaultSkinName).existsAsFile())
            {
                const auto& entries = guiPage->getSkinEntries();
                defaultSkinName = entries.empty() ? juce::String() : entries.front().name;
            }
            guiPage->setDefaultSkinName (defaultSkinName, false);
        }

        if (defaultSkinName.isEmpty())
            statusBar->showText (EditorStatusTexts::skinsNotFound (getSkinsDirectory().getFullPathName()),
                                 EditorStatusTexts::skinNoticePriority);
        else if (SkinSource::isSkinValid (plugin, defaultSkinName))
            applySkin (defaultSkinName);
    }

    // 4.
    if (skinPanel == nullptr && usesGenericControls())
        buildGenericControls();

    // 5.
    controlsCreated();
}

std::unique_ptr<juce::Component> BasePluginEditor::createProcessingSettingsPage()
{
    return std::make_unique<ProcessingSettingsComponent>();
}

std::unique_ptr<GUISettingsComponent> BasePluginEditor::createGUISettingsPage()
{
    return std::make_unique<GUISettingsComponent> (plugin, defaultSkinName, currentSkinName);
}

void BasePluginEditor::buildGenericControls()
{
    constexpr int columnWidth = 64;
    const int columns = juce::jmax (1, (getWidth() - 10) / columnWidth);
    int column = 0;
    int y = 30;

    for (int i = 0; i < plugin.getNumHostParameters(); ++i)
    {
        if (auto* parameter = plugin.getParameterManager().getParameter (i))
        {
            const juce::String& name = parameter->getName();
            GUIController* control = nullptr;
            juce::Component* component = nullptr;

            if (dynamic_cast<BoolParameter*> (parameter) != nullptr)
            {
                auto* button = new GFXToggleButton (name);
                control = button;
                component = button;
            }
            else if (dynamic_cast<IntParameter*> (parameter) != nullptr) // enumerations included
            {
                auto* rotary = new GFXSwitch (name);
                control = rotary;
                component = rotary;
            }
            else
            {
                auto* knob = new GFXKnob (name);
                control = knob;
                component = knob;
            }

            genericControls.add (control);
            component->setBounds (column * columnWidth + 5, y, 50, 80);
            control->addListener (this);
            addAndMakeVisible (component);
            control->connectToParameter (parameter);
            control->updateFromParameter (parameter);
            ++column;
        }

        if (hasSpaceAfterParameter (i))
            ++column;
        if (hasRowBreakAfterParameter (i) || column >= columns)
        {
            y += 120;
            column = 0;
        }
    }
}

void BasePluginEditor::createDebugPanel()
{
    debugPanel = std::make_unique<GFXPanel> ("DebugPanel");
    debugPanel->setBounds (getWidth() - 610, getHeight() - 150, 600, 140);
    debugPanel->setVisible (true);
    debugPanel->repaint();

    auto& manager = plugin.getParameterManager();
    for (int i = 0; 50 * i < 600; ++i)
    {
        auto* knob = new GFXKnob ("Debug Knob " + juce::String (i));
        debugKnobs.add (knob);
        knob->setBounds (50 * i, 0, 40, 90);
        knob->GUIController::addListener (this);
        if (auto* parameter = manager.getParameter (300000 + i))
        {
            knob->connectToParameter (parameter);
            knob->updateFromParameter (parameter);
        }
        debugPanel->addAndMakeVisible (knob);

        auto* button = new GFXButton ("Debug Button " + juce::String (i));
        debugButtons.add (button);
        button->setBounds (30 * i, 100, 20, 20);
        button->GUIController::addListener (this);
        const int eventId = 10000 + i;
        button->addAction ("onClick", eventId, plugin.getEventsMap().getEventName (eventId));
        debugPanel->addAndMakeVisible (button);
    }

    addAndMakeVisible (*debugPanel);
    debugPanel->toFront (false);
}

//==============================================================================
juce::File BasePluginEditor::getSkinsDirectory() const
{
    return SkinSource::getSkinsDirectory (plugin);
}

juce::File BasePluginEditor::getSkinFile (const juce::String& name) const
{
    return getSkinsDirectory().getChildFile (name + SkinSource::skinFileExtension);
}

void BasePluginEditor::requestSkinChange (const juce::String& name)
{
    requestedSkinName = name;
    skinChangePending.store (1);
    optionsWindow->hideWindow();
    if (skinPanel != nullptr)
        skinPanel->setVisible (false);
    statusBar->showText (EditorStatusTexts::loadingSkin, EditorStatusTexts::skinNoticePriority);
}

bool BasePluginEditor::applySkin (const juce::String& name, juce::String* why)
{
    std::unique_ptr<GFXPanel> panel;
    {
        SkinSource source (plugin, name);
        source.setKeyboardState (&plugin.getKeyboardState());
        panel = source.createEditorPanel();
    }
    if (panel == nullptr)
        return false;

    if (!fitsWindow (panel->getWidth(), panel->getHeight(), why))
        return false;

    // The old panel's controls go with it: forget every pointer into it first.
    midiLearnButton = nullptr;
    midiActivityLight = nullptr;
    if (skinPanel != nullptr)
        removeChildComponent (skinPanel.get());
    skinPanel = std::move (panel);
    addAndMakeVisible (*skinPanel, 0); // behind the status bar and the windows

    setEditorSize (skinPanel->getWidth(), skinPanel->getHeight());
    skinPanel->addListener (this);

    midiLearnButton = dynamic_cast<GFXMultiStateButton*> (findControlByName (this, "MidiLearnButton"));
    midiActivityLight = dynamic_cast<GFXAnimation*> (findControlByName (this, "MidiActivityLed"));

    if (midiLearnButton != nullptr)
    {
        bool learning = false;
        {
            const juce::ScopedLock sl (plugin.getMidiControl().getLock());
            learning = plugin.getMidiControl().isLearnMode();
        }
        if (learning)
            showLearnButtonState (true);
    }

    currentSkinName = name;
    skinApplied();
    skinPanel->setVisible (true);
    statusBar->clearText (-1);
    if (guiPage != nullptr)
        guiPage->setCurrentSkinName (name, false);
    return true;
}

juce::String BasePluginEditor::skinNotLoadedText (const juce::String& name, const juce::String& why)
{
    return "The skin '" + name + "' could not be loaded" + (why.isEmpty() ? juce::String() : ": " + why) +
           ".";
}

int BasePluginEditor::getRowsBelowPanel()
{
    return statusBar != nullptr && hasStatusBar() ? statusBar->getHeight() : 0;
}

float BasePluginEditor::getWindowScale() const
{
    const auto* window = getTopLevelComponent();
    auto scale = window->getDesktopScaleFactor();
    if (const auto* peer = window->getPeer())
        scale *= (float) peer->getPlatformScaleFactor();
    return scale;
}

bool BasePluginEditor::fitsWindow (int panelWidth, int panelHeight, juce::String* why)
{
    // As the skin renderer does: a panel of no size would leave the editor a status bar alone, one of too
    // many pixels would overflow JUCE's image arithmetic in the window's repaint, and X refuses a window
    // too long a side (the status bar's rows counted).
    const auto problem =
        GFXPanel::findSizeProblem (panelWidth, panelHeight, getRowsBelowPanel(), getWindowScale());
    if (problem == GFXPanel::SizeProblem::none)
        return true;
    if (why != nullptr)
        *why = GFXPanel::describeSizeProblem (problem);
    return false;
}

void BasePluginEditor::setEditorSize (int width, int newContentHeight)
{
    contentHeight = newContentHeight;
    const int total = contentHeight + getRowsBelowPanel();
    setBounds (getX(), getY(), width, total);
    layoutStatusBar();

    if (auto* parent = getParentComponent())
        parent->setSize (width, total);
}

void BasePluginEditor::layoutStatusBar()
{
    if (statusBar == nullptr || !hasStatusBar())
        return;

    statusBar->setBounds (0, contentHeight, getWidth(), statusBar->getHeight());
    statusBar->toFront (false);
}

juce::Component* BasePluginEditor::findControlByName (juce::Component* root, const juce::String& name)
{
    if (root == nullptr)
        return nullptr;

    for (auto* child : root->getChildren())
        if (child->getName() == name)
            return child;

    for (auto* child : root->getChildren())
        if (auto* found = findControlByName (child, name))
            return found;

    return nullptr;
}

void BasePluginEditor::setPresetBrowserWindow (std::unique_ptr<ModalComponent> window)
{
    presetBrowserWindow = std::move (window);
    if (presetBrowserWindow != nullptr)
        addChildComponent (*presetBrowserWindow);
}

//==============================================================================
void BasePluginEditor::timerCallback()
{
    // Host windows show and hide the editor; hidden, it has nothing to show (see visibilityChanged).
    if (!isVisible())
    {
        stopTimer();
        return;
    }
    timerUpdate();
}

void BasePluginEditor::timerUpdate()
{
    int expected = 1;
    if (skinChangePending.compare_exchange_strong (expected, 0))
    {
        juce::String why;
        const bool applied =
            SkinSource::isSkinValid (plugin, requestedSkinName) && applySkin (requestedSkinName, &why);
        if (!applied)
        {
            // The request hid the panel: a skin that fails must not leave the editor blank.
            if (skinPanel != nullptr)
                skinPanel->setVisible (true);
            if (guiPage != nullptr)
                guiPage->setCurrentSkinName (currentSkinName, false);
            statusBar->showText (skinNotLoadedText (requestedSkinName, why),
                                 EditorStatusTexts::skinNoticePriority);
        }
    }

    if (midiActivityLight != nullptr && plugin.getMidiActivityFlag().exchange (0) == 1)
        midiActivityLight->showFrameFor (1, midiLightMilliseconds);
}

void BasePluginEditor::visibilityChanged()
{
    if (isVisible())
    {
        if (tooltipWindow == nullptr)
            tooltipWindow = std::make_unique<juce::TooltipWindow> (this, tooltipDelayMilliseconds);
        startTimer (timerIntervalMilliseconds);
    }
    else
    {
        stopTimer();
        tooltipWindow.reset();
    }
}

//==============================================================================
void BasePluginEditor::passToMidiLearn (Parameter* parameter)
{
    if (parameter == nullptr || !parameter->isAutomatable())
        return;

    auto& map = plugin.getMidiControl();
    bool learning = false;
    {
        const juce::ScopedLock sl (map.getLock());
        learning = map.isLearnMode();
    }
    if (learning)
        map.setLearnParameter (parameter);
}

void BasePluginEditor::showParameterStatus (Parameter* parameter, int priority)
{
    if (parameter == nullptr)
        return;

    const int id = parameter->getId();
    if (const auto text = EditorStatusTexts::parameterStatus (plugin.getParameterNameById (id),
                                                              plugin.getParameterTextById (id)))
        statusBar->showTemporaryText (*text, priority);
}

void BasePluginEditor::controllerValueChanged (GUIController* control)
{
    if (control == nullptr)
        return;

    if (auto* parameter = control->getParameter())
    {
        passToMidiLearn (parameter);
        showParameterStatus (parameter, EditorStatusTexts::controlMovedPriority);
    }
}

void BasePluginEditor::controllerActionTriggered (GUIController* control, int eventUid)
{
    switch (eventUid)
    {
        case 1000: // "Options"
            optionsWindow->show();
            statusBar->clearText (-1);
            return;

        case 1001: // "About"
            aboutWindow->show();
            return;

        case 1002: // "Select next preset"
        case 1003: // "Select previous preset"
        {
            const int direction = eventUid == 1002 ? 1 : -1;
            if (auto* collection = plugin.getCurrentPresetCollection (presetsCollectionName))
            {
                if (plugin.isCurrentPresetModified (collection))
                    askToSaveChangedPreset (presetsCollectionName, direction);
                else if (direction > 0)
                    plugin.selectNextPreset (collection);
                else
                    plugin.selectPreviousPreset (collection);
            }
            return;
        }

        case 1004: // "Browse presets"
            if (presetBrowserWindow != nullptr)
                presetBrowserWindow->show();
            return;

        case 1005: savePreset (presetsCollectionName); return;   // "Save preset"
        case 1006: savePresetAs (presetsCollectionName); return; // "Save preset as"

        case 1010: // "Toggle Midi Learn"
        {
            auto& map = plugin.getMidiControl();
            bool learning = false;
            {
                const juce::ScopedLock sl (map.getLock());
                learning = map.isLearnMode();
            }
            map.setLearnMode (!learning);
            return;
        }

        default: break;
    }

    plugin.handleEvent (eventUid);

    if (control != nullptr)
        if (auto* parameter = control->getParameter())
        {
            passToMidiLearn (parameter);
            showParameterStatus (parameter, EditorStatusTexts::controlMovedPriority);
        }
}

void BasePluginEditor::midiLearnStateChanged (MidiControl* map)
{
    if (map == nullptr)
        return;

    bool learning = false;
    int controller = -1;
    Parameter* parameter = nullptr;
    {
        const juce::ScopedLock sl (map->getLock());
        learning = map->isLearnMode();
        controller = map->getLearnedController();
        parameter = map->getLearnParameter();
    }

    if (learning)
        statusBar->showText (EditorStatusTexts::midiLearnProgress (controller, parameter != nullptr,
                                                                   parameter != nullptr ? parameter->getName()
                                                                                        : juce::String()),
                             EditorStatusTexts::midiLearnPriority);
    else
        statusBar->clearText (-1);

    showLearnButtonState (learning);
}

void BasePluginEditor::showLearnButtonState (bool learning)
{
    if (midiLearnButton == nullptr)
        return;

    midiLearnButton->setState (learning ? 1 : 0);
    if (learning)
    {
        midiLearnButton->setBlinkPeriod (learnBlinkMilliseconds);
        midiLearnButton->setBlinking (true);
    }
    else if (midiLearnButton->isBlinking())
    {
        midiLearnButton->setBlinking (false);
    }
    midiLearnButton->blinkStateChanged();
}

void BasePluginEditor::parameterMovedByMidi (MidiControl* map)
{
    if (map != nullptr)
        if (auto* parameter = map->getLastMovedParameter())
            showParameterStatus (parameter, EditorStatusTexts::midiMovedPriority);
}

void BasePluginEditor::defaultResourceChanged (DefaultResourceCheckBox* box)
{
    if (midiControlPage != nullptr && box == &midiControlPage->getDefaultMapBox())
        statusBar->showText (EditorStatusTexts::defaultMapNotice(),
                             EditorStatusTexts::defaultMapNoticePriority);
}

void BasePluginEditor::tabChanged (TabbedComponentEx* tabs)
{
    if (optionsWindow != nullptr && tabs == &optionsWindow->getTabs() && statusBar != nullptr)
        statusBar->clearText (-1);
}

juce::Rectangle<int> BasePluginEditor::getModalArea()
{
    auto area = getLocalBounds();
    if (hasStatusBar())
        area.setHeight (contentHeight);
    return area;
}

std::unique_ptr<ModalComponent> BasePluginEditor::createYesNoQuestion (const juce::String& title,
                                                                       const juce::String& message,
                                                                       std::function<void (bool)> answer)
{
    return Zeb::AlertWindow::createYesNoQuestion (title, message, std::move (answer));
}

void BasePluginEditor::alertWindowClosed (Zeb::AlertWindow* alert, int result)
{
    saveFlow.handleAlertClosed (alert, result);
}

void BasePluginEditor::processingModeChanged (BasePlugin*, int mode)
{
    const int id = mode == 2 ? plugin.getOfflineQualityParameterId() : plugin.getRealtimeQualityParameterId();
    statusBar->showTemporaryText (EditorStatusTexts::processingMode (mode, plugin.getParameterTextById (id)),
                                  EditorStatusTexts::processingModePriority);
}

void BasePluginEditor::defaultSkinChanged (GUISettingsComponent* page)
{
    if (page != nullptr)
        defaultSkinName = page->getDefaultSkinName();
}

void BasePluginEditor::currentSkinChanged (GUISettingsComponent* page)
{
    if (page != nullptr)
        requestSkinChange (page->getCurrentSkinName());
}

//==============================================================================
bool BasePluginEditor::isSettingsXml (const juce::XmlElement& element) const
{
    return XmlHelpers::tagIs (element, getSettingsXmlTag());
}

std::unique_ptr<juce::XmlElement> BasePluginEditor::createSettingsXml()
{
    auto element = std::make_unique<juce::XmlElement> (getSettingsXmlTag());
    if (skinFilesEnabled)
        element->createNewChildElement ("Skin")->setAttribute ("name", defaultSkinName);
    return element;
}

void BasePluginEditor::restoreSettingsXml (const juce::XmlElement& element)
{
    if (!isSettingsXml (element))
        return;
    if (const auto* skin = XmlHelpers::findChild (element, "Skin"))
        setDefaultSkinName (skin->getStringAttribute ("name"));
}

bool BasePluginEditor::isStateXml (const juce::XmlElement& element) const
{
    return XmlHelpers::tagIs (element, getStateXmlTag());
}

std::unique_ptr<juce::XmlElement> BasePluginEditor::createStateXml()
{
    auto element = std::make_unique<juce::XmlElement> (getStateXmlTag());
    if (skinFilesEnabled)
        element->createNewChildElement ("Skin")->setAttribute ("name", currentSkinName);
    return element;
}

void BasePluginEditor::restoreStateXml (const juce::XmlElement& element)
{
    if (!isStateXml (element) || !skinFilesEnabled)
        return;
    if (const auto* skin = XmlHelpers::findChild (element, "Skin"))
    {
        const juce::String name = skin->getStringAttribute ("name");
        if (name.isNotEmpty() && SkinSource::isSkinValid (plugin, name))
            applySkin (name);
    }
}

//==============================================================================
void BasePluginEditor::paint (juce::Graphics& g)
{
    const auto content = juce::Rectangle<int> (0, 0, getWidth(), contentHeight);

    if (usesGenericControls())
    {
        g.fillAll (juce::Colour (0xFFD3D3D3));
        g.setColour (juce::Colours::black);
        g.setFont (lookAndFeel.getDefaultFont());
        g.drawText (plugin.getProductName(), content, juce::Justification::topLeft, false);
        return;
    }

    g.fillAll (juce::Colours::black);
    g.setColour (juce::Colours::white);

    if (pluginLogo.isValid())
    {
        g.drawImageAt (pluginLogo, (getWidth() - pluginLogo.getWidth()) / 2,
                       (contentHeight - pluginLogo.getHeight()) / 2);
    }
    else
    {
        g.setFont (juce::Font ("Tahoma", 80.0f, juce::Font::bold));
        g.drawText (plugin.getProductName(), content, juce::Justification::centred, false);
        g.setFont (juce::Font ("Tahoma", 20.0f, juce::Font::bold));
        g.drawText (plugin.getDescription(), juce::Rectangle<int> (0, 45, getWidth(), contentHeight),
                    juce::Justification::centred, false);
    }

    if (zebLogo.isValid())
    {
        g.drawImageAt (zebLogo, (getWidth() - zebLogo.getWidth()) / 2,
                       contentHeight - zebLogo.getHeight() - 20);
    }
    else
    {
        g.setFont (juce::Font ("Tahoma", 16.0f, juce::Font::plain));
        g.drawText (makerName, juce::Rectangle<int> (0, 0, getWidth(), contentHeight - 10),
                    juce::Justification::centredBottom, false);
    }
}

void BasePluginEditor::resized()
{
    layoutStatusBar();
    repaint();
}

void BasePluginEditor::childBoundsChanged (juce::Component* child)
{
    if (statusBar == nullptr || child != statusBar.get())
        return;

    // The bar's height follows the look and feel. A window it would make larger than X allows is not
    // asked for: the window keeps its size, the bar its place under the panel.
    if (fitsWindow (getWidth(), contentHeight))
        setEditorSize (getWidth(), contentHeight);
    else
        layoutStatusBar();
}
