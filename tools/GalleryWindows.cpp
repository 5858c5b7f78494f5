// The editor's windows, alerts, status bar, option containers, column browser and modulation matrix in
// the gallery. Pictures with text: for people to look at, not compared.

#include "tools/GalleryScenes.h"

#include "editor/AboutWindow.h"
#include "editor/AlertWindow.h"
#include "editor/OptionsWindow.h"
#include "editor/StatusBar.h"
#include "framework/BasePlugin.h"
#include "skin/browser/ColumnBrowser.h"
#include "skin/modmatrix/ModulationMatrixComponent.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/PanelComponent.h"
#include "skin/windows/PathComponent.h"

namespace
{
/** The editor as far as windows know it: a panel-coloured desktop of a given size. */
class GalleryEditor : public juce::Component, public ModalComponent::Desktop
{
public:
    GalleryEditor (DefaultLookAndFeel& lf, int w, int h)
    {
        setLookAndFeel (&lf);
        setSize (w, h);
    }
    ~GalleryEditor() override { setLookAndFeel (nullptr); }

    juce::Rectangle<int> getModalArea() override { return getLocalBounds(); }
    void paint (juce::Graphics& g) override
    {
        // A stand-in panel with a few shapes, so the veil over it shows.
        g.fillAll (juce::Colour (0xFF2E3236));
        g.setColour (juce::Colour (0xFF5A6068));
        for (int x = 20; x < getWidth(); x += 60)
            g.fillEllipse ((float) x, 20.0f, 36.0f, 36.0f);
    }

    juce::Image render() { return createComponentSnapshot (getLocalBounds(), true); }
};

juce::Image
showAlert (Zeb::AlertWindow* (*create) (const juce::String&, const juce::String&, Zeb::AlertWindow::Caller*),
           const juce::String& title, const juce::String& message, int width = 520, int height = 240)
{
    DefaultLookAndFeel lf;
    GalleryEditor editor (lf, width, height);
    std::unique_ptr<Zeb::AlertWindow> alert (create (title, message, nullptr));
    editor.addChildComponent (*alert);
    alert->show();
    return editor.render();
}

/** A product just big enough to fill the about box, kept out of the real settings folders. */
class GalleryPlugin : public BasePlugin
{
public:
    GalleryPlugin()
    {
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        Info designation;
        designation.version = "1.9.5";
        designation.description = "Vintage Bassline";
        designation.pluginFormat = "VST";
        designation.architecture = "64bit";
        designation.buildCode = "gallery";
        designation.buildDate = "2026-12-07";
        designation.webAddress = "https://example.org/kelvanor";
        setSoftwareDesignation (designation);
    }
    ~GalleryPlugin() override
    {
        BasePlugin::overrideApplicationDataFolders ({}, {});
        folder.deleteRecursively();
    }

    juce::String getProductName() const override { return "Kelvanor"; }
    juce::String getFilePrefix() const override { return "KL"; }
    int getNumHostParameters() const override { return 0; }
    juce::String getInputChannelName (int) const override { return {}; }
    juce::String getOutputChannelName (int) const override { return {}; }
    bool isInputChannelStereoPair (int) const override { return false; }
    bool isOutputChannelStereoPair (int) const override { return false; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }

private:
    juce::File folder = juce::File::createTempFile ("gallery");
};

/** Two columns of names: groups, then the items of the first group. */
class GalleryBrowser : public ColumnBrowser
{
public:
    class Names : public ListColumn
    {
    public:
        Names (ColumnBrowser& b, juce::StringArray n, bool groups)
            : ListColumn (b)
            , names (std::move (n))
            , isGroups (groups)
        {
        }
        bool acceptsPrevious (Column* c) override { return !isGroups && dynamic_cast<Names*> (c) != nullptr; }
        bool isPreviousColumn (Column* c) override { return acceptsPrevious (c); }
        int getNumItems() override { return names.size(); }
        juce::String getItemText (int row) override { return names[row]; }
        bool hasSubItems (int) override { return isGroups; }
        Column* createColumnForItem (int) override
        {
            return isGroups
                       ? new Names (getBrowser(), {"Acid Line", "Deep Sub", "Round Pluck", "Squelch"}, false)
                       : nullptr;
        }
        juce::StringArray names;
        bool isGroups;
    };

    Column* createRootColumn() override
    {
        return new Names (*this, {"Bass", "Lead", "Pad", "Effects"}, true);
    }
};

std::vector<GalleryScene> windowScenes()
{
    std::vector<GalleryScene> scenes;

    scenes.push_back ({"window", false,
                       []
                       {
                           DefaultLookAndFeel lf;
                           GalleryEditor editor (lf, 420, 260);
                           WindowComponent window;
                           window.setTitle ("Window");
                           window.setContentSize (300, 150);
                           editor.addChildComponent (window);
                           window.show();
                           return editor.render();
                       }});

    scenes.push_back ({"alert-message", false, [] {
                           return showAlert (&Zeb::AlertWindow::createMessageBox, "Preset saved",
                                             "The preset has been saved.");
                       }});
    scenes.push_back ({"alert-yes-no", false,
                       []
                       {
                           return showAlert (&Zeb::AlertWindow::createYesNoBox, "Delete preset",
                                             "Do you really want to delete this preset?");
                       }});
    scenes.push_back ({"alert-yes-cancel", false,
                       []
                       {
                           return showAlert (&Zeb::AlertWindow::createYesCancelBox, "Replace map",
                                             "Replace the current controller map?");
                       }});
    scenes.push_back ({"alert-save-question", false,
                       []
                       {
                           return showAlert (&Zeb::AlertWindow::createSaveQuestionBox, "Preset changed",
                                             "The preset has been changed. What should happen to it?");
                       }});
    scenes.push_back ({"alert-overwrite-question", false,
                       []
                       {
                           DefaultLookAndFeel lf;
                           GalleryEditor editor (lf, 520, 240);
                           auto alert = Zeb::AlertWindow::createYesNoQuestion (
                               "Save pattern",
                               "The file 'Acid Walk.klptr' already exists. Do you want to replace it?",
                               nullptr);
                           editor.addChildComponent (*alert);
                           alert->show();
                           return editor.render();
                       }});
    scenes.push_back (
        {"alert-long-message", false,
         []
         {
             return showAlert (
                 &Zeb::AlertWindow::createMessageBox, "Cannot read file",
                 juce::String::repeatedString ("The file could not be read completely. ", 6).trimEnd(), 420,
                 260);
         }});

    scenes.push_back ({"about", false,
                       []
                       {
                           DefaultLookAndFeel lf;
                           GalleryPlugin plugin;
                           GalleryEditor editor (lf, 700, 540);
                           AboutWindow about (plugin);
                           about.setSize (640, 480);
                           editor.addChildComponent (about);
                           about.show();
                           return editor.render();
                       }});

    scenes.push_back ({"status-bar", false,
                       []
                       {
                           DefaultLookAndFeel lf;
                           juce::Component host;
                           host.setLookAndFeel (&lf);
                           host.setSize (420, 16);
                           StatusBar bar;
                           host.addAndMakeVisible (bar);
                           bar.setBounds (0, 0, 420, 16);
                           bar.sendLookAndFeelChange();
                           bar.showText ("CC# 74 is assigned to parameter 'Cutoff'.", 7);
                           auto image = host.createComponentSnapshot (host.getLocalBounds(), true);
                           host.removeChildComponent (&bar);
                           host.setLookAndFeel (nullptr);
                           return image;
                       }});

    scenes.push_back (
        {"options-window", false,
         []
         {
             DefaultLookAndFeel lf;
             GalleryEditor editor (lf, 620, 420);
             OptionsWindow options;
             options.setTitle ("Options");
             options.setSize (560, 360);

             juce::Component page;
             PanelComponent panel ("Presets folder");
             PathComponent path;
             path.setBounds (0, 0, 420, 22);
             path.setPath ("/home/someone/.config/Zeb Group/Kelvanor/Presets/A very long folder name/",
                           false);
             panel.setContentComponent (&path, true);
             page.addAndMakeVisible (panel);
             panel.setTopLeftPosition (10, 10);

             juce::Component blank;
             options.getTabs().addTab ("Presets", juce::Colour (0xFFC5C5C5), &page, false);
             options.getTabs().addTab ("Midi Control", juce::Colour (0xFFC5C5C5), &blank, false);
             editor.addChildComponent (options);
             options.show();
             auto image = editor.render();
             panel.setContentComponent (nullptr, false);
             return image;
         }});

    scenes.push_back ({"column-browser", false,
                       []
                       {
                           DefaultLookAndFeel lf;
                           juce::Component host;
                           host.setLookAndFeel (&lf);
                           host.setSize (640, 220);
                           GalleryBrowser browser;
                           host.addAndMakeVisible (browser);
                           browser.setBounds (host.getLocalBounds());
                           browser.openColumn (browser.createRootColumn());
                           auto* groups = dynamic_cast<ColumnBrowser::ListColumn*> (browser.getColumn (0));
                           groups->getList().selectRow (0);
                           if (auto* items = dynamic_cast<ColumnBrowser::ListColumn*> (browser.getColumn (1)))
                               items->getList().selectRow (2);
                           auto image = host.createComponentSnapshot (host.getLocalBounds(), true);
                           host.removeChildComponent (&browser);
                           host.setLookAndFeel (nullptr);
                           return image;
                       }});

    scenes.push_back ({"modulation-matrix", false,
                       []
                       {
                           DefaultLookAndFeel lf;
                           juce::Component host;
                           host.setLookAndFeel (&lf);
                           host.setSize (760, 220);
                           ModulationMatrixModel model;
                           ModulationMatrixComponent matrix ("ModulationMatrix");
                           for (int source = 0; source < ModulationMatrixModel::numSources + 1; ++source)
                           {
                               matrix.getDestinationMenu (source).addItem (1, "Cutoff");
                               matrix.getDestinationMenu (source).addItem (2, "Resonance");
                           }
                           host.addAndMakeVisible (matrix);
                           matrix.setBounds (host.getLocalBounds());
                           matrix.setMatrix (&model);
                           const ModulationEntry routes[] = {{0, 1, 0.5f}, {3, 2, -0.25f}, {2, 1, 1.0f}};
                           for (const auto& route : routes)
                           {
                               matrix.buttonPressed (&matrix.getAddButton(), false);
                               model.setEntry (model.getNumEntries() - 1, route);
                           }
                           model.setSourceValue (0, 0.8f);
                           matrix.changeListenerCallback (&model.valuesChanged);
                           matrix.selectRow (1);
                           auto image = host.createComponentSnapshot (host.getLocalBounds(), true);
                           matrix.setMatrix (nullptr);
                           host.removeChildComponent (&matrix);
                           host.setLookAndFeel (nullptr);
                           return image;
                       }});

    return scenes;
}

const GalleryRegistry::Add addWindowScenes (windowScenes);
} // namespace
