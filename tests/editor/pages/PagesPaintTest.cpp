#include "PageTestFixture.h"
#include "TestNames.h"
#include "editor/pages/GUISettingsComponent.h"
#include "editor/pages/HostParametersComponent.h"
#include "editor/pages/MidiControlComponent.h"
#include "editor/pages/PresetsSettingsComponent.h"
#include "editor/pages/ProcessingSettingsComponent.h"

namespace
{
class PagesPaint : public PageTest::PageFixture, public ::testing::WithParamInterface<juce::Rectangle<int>>
{
};

TEST_P (PagesPaint, AtAnySizeWithAFullMap)
{
    start();
    for (int cc = 0; cc < 36; ++cc)
    {
        product->getMidiControl().assign (cc, &product->automatable (cc), cc == 35);
        product->assignHostParameter (cc, &product->automatable (cc));
    }
    pumpMessages();

    auto midi = std::make_unique<MidiControlComponent> (product->getMidiControl(), ".pgccmap", "*.pgccmap");
    midi->getList().selectRow (30);
    const std::unique_ptr<juce::Component> pages[] = {
        std::move (midi), std::make_unique<HostParametersComponent> (*product),
        std::make_unique<PresetsSettingsComponent> (*product),
        std::make_unique<GUISettingsComponent> (*product, "", ""),
        std::make_unique<ProcessingSettingsComponent>()};

    const auto size = GetParam();
    for (const auto& page : pages)
    {
        page->setLookAndFeel (&lookAndFeel);
        page->setSize (size.getWidth(), size.getHeight());
        juce::Image image (juce::Image::ARGB, juce::jmax (1, size.getWidth()),
                           juce::jmax (1, size.getHeight()), true);
        juce::Graphics g (image);
        page->paintEntireComponent (g, false);
        page->setLookAndFeel (nullptr);
    }
    const auto& list = static_cast<MidiControlComponent&> (*pages[0]).getList();
    EXPECT_GE (list.getGeometry().rowsPerColumn, 1);
    EXPECT_GE (list.getGeometry().numColumns * list.getGeometry().rowsPerColumn, 36);
}

INSTANTIATE_TEST_SUITE_P (Sizes, PagesPaint,
                          ::testing::Values (juce::Rectangle<int> (0, 0, 760, 520),
                                             juce::Rectangle<int> (0, 0, 120, 40),
                                             juce::Rectangle<int> (0, 0, 0, 0)),
                          [] (const auto& each) {
                              return testName (juce::String (each.param.getWidth()) + " by " +
                                               juce::String (each.param.getHeight()));
                          });
} // namespace
