#pragma once

#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/lookandfeel/SkinArtwork.h"
#include "skin/widgets/CheckBox_V2.h"
#include "skin/widgets/ComboBoxButton.h"
#include "skin/widgets/ComboBoxEx.h"
#include "skin/widgets/PopupMenuEx.h"
#include "skin/widgets/RadioButtons_V2.h"
#include "skin/widgets/TextButtonEx.h"

#include <functional>
#include <vector>

/** One picture of the gallery: a name (the PNG's file name without extension) and how to draw it.
    Reference scenes carry no text, so that they do not depend on the font rasteriser; the golden-image
    test compares them against tests/golden/<name>.png. Message thread. */
struct GalleryScene
{
    juce::String name;
    bool reference;
    std::function<juce::Image()> render;
};

/** Scenes registered by other files of the gallery (the editor's windows and alerts). */
struct GalleryRegistry
{
    using Source = std::function<std::vector<GalleryScene>()>;

    static std::vector<Source>& sources()
    {
        static std::vector<Source> list;
        return list;
    }

    /** A static object of this type in a gallery source file adds its scenes. */
    struct Add
    {
        explicit Add (Source s) { sources().push_back (std::move (s)); }
    };
};

namespace GalleryDetail
{
inline juce::Image sheet (int columns, int rows, int cell,
                          const std::function<void (juce::Graphics&, int)>& draw)
{
    juce::Image image (juce::Image::ARGB, columns * cell, rows * cell, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colour (0xFFC5C5C5));
    for (int i = 0; i < columns * rows; ++i)
    {
        juce::Graphics::ScopedSaveState state (g);
        g.setOrigin ((i % columns) * cell, (i / columns) * cell);
        draw (g, i);
    }
    return image;
}

/** Paints a component under the look and feel on the window grey, headless. */
inline juce::Image snapshot (juce::Component& component, DefaultLookAndFeel& lf, int width, int height)
{
    juce::Component host;
    host.setLookAndFeel (&lf);
    host.setSize (width, height);
    host.addAndMakeVisible (component);
    juce::Image image (juce::Image::ARGB, width, height, true);
    {
        juce::Graphics g (image);
        g.fillAll (lf.findColour (LookAndFeelColourIds::windowBackground));
        g.drawImageAt (host.createComponentSnapshot (host.getLocalBounds(), true), 0, 0);
    }
    host.removeChildComponent (&component);
    host.setLookAndFeel (nullptr);
    return image;
}

/** The icon numbers that have tiles, in order. */
inline std::vector<int> tileIcons()
{
    std::vector<int> icons;
    for (int i = 0; i < SkinArtwork::numIconDocuments; ++i)
        if (SkinArtwork::hasIconImage (i))
            icons.push_back (i);
    return icons;
}
} // namespace GalleryDetail

/** Every picture the look and feel and the widgets make. */
inline std::vector<GalleryScene> skinGalleryScenes()
{
    using namespace GalleryDetail;
    std::vector<GalleryScene> scenes;

    for (const bool large : {false, true})
        scenes.push_back ({large ? "icons-large" : "icons-small", true,
                           [large]
                           {
                               const auto icons = tileIcons();
                               const int side =
                                   large ? SkinArtwork::largeIconSize : SkinArtwork::smallIconSize;
                               const int columns = (int) icons.size();
                               return sheet (columns, 2, side + 4,
                                             [&] (juce::Graphics& g, int i)
                                             {
                                                 const auto image = SkinArtwork::getIconImage (
                                                     icons[(size_t) (i % columns)], large, i >= columns);
                                                 g.drawImageAt (image, 2, 2);
                                             });
                           }});

    scenes.push_back ({"symbols", true,
                       []
                       {
                           return sheet (10, 3, 40,
                                         [] (juce::Graphics& g, int i)
                                         {
                                             if (auto d = DefaultLookAndFeel::getIcon (i))
                                                 d->drawWithin (g, {4.0f, 4.0f, 32.0f, 32.0f},
                                                                juce::RectanglePlacement::centred, 1.0f);
                                         });
                       }});

    scenes.push_back ({"text-button-images", true,
                       []
                       {
                           juce::Image image (juce::Image::ARGB, 2 * 80, 3 * 36, true);
                           juce::Graphics g (image);
                           g.fillAll (juce::Colour (0xFFC5C5C5));
                           for (int set = 0; set < 2; ++set)
                               for (int state = 0; state < 3; ++state)
                               {
                                   int x = set * 80;
                                   const int parts = state == 2 ? 1 : 3;
                                   for (int p = 0; p < parts; ++p)
                                   {
                                       const int part = state == 2 ? SkinArtwork::highlight : state * 3 + p;
                                       const auto slice = SkinArtwork::getTextButtonImage (set == 1, part);
                                       g.drawImageAt (slice, x, state * 36);
                                       x += slice.getWidth();
                                   }
                               }
                           return image;
                       }});

    scenes.push_back (
        {"toggle-images", true,
         []
         {
             DefaultLookAndFeel lf;
             const juce::Image images[] = {lf.getCheckBoxOffImage(), lf.getCheckBoxOnImage(),
                                           lf.getRadioButtonOffImage(), lf.getRadioButtonOnImage()};
             return sheet (4, 1, 20, [&] (juce::Graphics& g, int i) { g.drawImageAt (images[i], 2, 3); });
         }});

    scenes.push_back ({"check-boxes", true,
                       []
                       {
                           DefaultLookAndFeel lf;
                           juce::Image image (juce::Image::ARGB, 4 * 30, 24, true);
                           juce::Graphics g (image);
                           for (int i = 0; i < 4; ++i)
                           {
                               CheckBox_V2 box;
                               box.setBounds (2, 2, 20, 20);
                               box.setToggleState ((i & 1) != 0, juce::dontSendNotification);
                               box.setEnabled (i < 2);
                               g.drawImageAt (snapshot (box, lf, 30, 24), i * 30, 0);
                           }
                           return image;
                       }});

    scenes.push_back ({"combo-box-empty", true,
                       []
                       {
                           DefaultLookAndFeel lf;
                           ComboBoxEx box;
                           box.setBounds (4, 4, 120, 20);
                           return snapshot (box, lf, 128, 28);
                       }});

    // Scenes with text: for people to look at, not compared.
    scenes.push_back ({"widgets", false,
                       []
                       {
                           DefaultLookAndFeel lf;
                           juce::Component panel;
                           panel.setSize (420, 220);

                           CheckBox_V2 check;
                           check.setButtonText ("Use the default resource");
                           check.setToggleState (true, juce::dontSendNotification);
                           panel.addAndMakeVisible (check);
                           check.setTopLeftPosition (10, 10);

                           std::unique_ptr<TextButtonEx> ok (lf.createTextButton ("Save"));
                           std::unique_ptr<TextButtonEx> big (lf.createTextButton ("Open preset", 2));
                           panel.addAndMakeVisible (*ok);
                           panel.addAndMakeVisible (*big);
                           ok->setTopLeftPosition (10, 40);
                           big->setTopLeftPosition (90, 38);

                           ComboBoxEx combo;
                           combo.getOwnMenu().addItem (1, "Realtime");
                           combo.setSelectedId (1);
                           combo.setBounds (10, 80, 150, 20);
                           panel.addAndMakeVisible (combo);

                           ComboBoxButton comboButton;
                           comboButton.getOwnMenu().addItem (1, "High quality");
                           comboButton.setSelectedId (1, false);
                           comboButton.setBounds (180, 80, 150, 22);
                           panel.addAndMakeVisible (comboButton);

                           RadioButtons_V2 radios ("Quality", {"Low", "Medium", "High"});
                           panel.addAndMakeVisible (radios);
                           radios.setLookAndFeel (&lf);
                           radios.setButtonWidth (-1);
                           radios.setSelectedIndex (1, false);
                           radios.setTopLeftPosition (10, 110);

                           check.setLookAndFeel (&lf);
                           check.changeWidthToFitText (20);
                           auto image = snapshot (panel, lf, 420, 220);
                           check.setLookAndFeel (nullptr);
                           radios.setLookAndFeel (nullptr);
                           return image;
                       }});

    scenes.push_back (
        {"popup-menu", false,
         []
         {
             DefaultLookAndFeel lf;
             struct Editor : juce::Component, ModalComponent::Desktop
             {
                 juce::Rectangle<int> getModalArea() override { return getLocalBounds(); }
             } editor;
             editor.setLookAndFeel (&lf);
             editor.setSize (360, 220);
             juce::Component opener;
             opener.setBounds (10, 10, 100, 20);
             editor.addAndMakeVisible (opener);

             PopupMenuEx sub;
             sub.addItem (11, "Saw");
             sub.addItem (12, "Square");
             PopupMenuEx menu;
             menu.addItem (1, "Copy");
             menu.addItem (2, "Paste");
             menu.addSubMenu ("Waveform", sub);
             menu.addItem (4, "Disabled");
             menu.setItemEnabled (4, false);
             menu.setItemTicked (12, true, true);
             menu.showAt (&opener, {}, 16);

             auto& root = *menu.getMenuComponent()->getWindow (0);
             const auto row = juce::Point<int> (20, 4 + 2 * 16 + 8);
             root.mouseMove (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(),
                                               row.toFloat(), {}, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &root, &root,
                                               juce::Time(), row.toFloat(), juce::Time(), 1, false));
             menu.getMenuComponent()->openPendingLevel();

             juce::Image image (juce::Image::ARGB, 360, 220, true);
             {
                 juce::Graphics g (image);
                 g.fillAll (lf.findColour (LookAndFeelColourIds::windowBackground));
                 g.drawImageAt (editor.createComponentSnapshot (editor.getLocalBounds(), true), 0, 0);
             }
             editor.setLookAndFeel (nullptr);
             return image;
         }});

    return scenes;
}
