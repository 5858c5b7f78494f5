#include "editor/pages/ProcessingSettingsComponent.h"
#include "PageTestFixture.h"
#include "TestNames.h"

namespace
{
/** Four quality enumerations (ids 500-503) beside the embedded parameters; a plain float at 504. */
class QualityPage : public PageTest::PageFixture
{
protected:
    void SetUp() override
    {
        start();
        auto& manager = product->getParameterManager();
        for (int id = 500; id < 504; ++id)
        {
            auto quality = std::make_unique<EnumParameter> (id, "Quality " + juce::String (id));
            quality->setItems ("Draft;Good;Best");
            manager.addParameter (std::move (quality));
        }
        manager.addParameter (std::make_unique<FloatParameter> (504, "Not a choice"));
        page.setLookAndFeel (&lookAndFeel);
    }

    void TearDown() override { page.setLookAndFeel (nullptr); }

    Parameter* parameter (int id) { return product->getParameterManager().getParameter (id); }

    ProcessingSettingsComponent page;
};

struct BindCase
{
    const char* what;
    int ids[4]; // realtime, offline, default realtime, default offline
    bool bound;
};

class QualityBinding : public QualityPage, public ::testing::WithParamInterface<BindCase>
{
};

TEST_P (QualityBinding, TakesAllFourEnumerationsOrNone)
{
    const auto& ids = GetParam().ids;
    EXPECT_EQ (page.bindQualityParameters (parameter (ids[0]), parameter (ids[1]), parameter (ids[2]),
                                           parameter (ids[3])),
               GetParam().bound)
        << GetParam().what;

    ComboBoxButton* choosers[] = {
        &page.getCurrentQuality().realtimeChooser, &page.getCurrentQuality().offlineChooser,
        &page.getDefaultQuality().realtimeChooser, &page.getDefaultQuality().offlineChooser};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (choosers[i]->getParameter(), GetParam().bound ? parameter (ids[i]) : nullptr)
            << GetParam().what;
        EXPECT_EQ (choosers[i]->getMenu().getNumItems(), GetParam().bound ? 3 : 0) << GetParam().what;
    }
}

INSTANTIATE_TEST_SUITE_P (Table, QualityBinding,
                          ::testing::Values (BindCase{"all four", {500, 501, 502, 503}, true},
                                             BindCase{"in another order", {503, 502, 501, 500}, true},
                                             BindCase{"one missing", {500, 501, 502, -1}, false},
                                             BindCase{"one is no enumeration", {500, 504, 502, 503}, false}),
                          NameFromWhat());

TEST_F (QualityPage, AChoiceChangesOnlyItsParameter)
{
    ASSERT_TRUE (
        page.bindQualityParameters (parameter (500), parameter (501), parameter (502), parameter (503)));
    page.getCurrentQuality().offlineChooser.setSelectedId (2, true);
    EXPECT_EQ (parameter (501)->getValueInt(), 2);
    for (const int other : {500, 502, 503})
        EXPECT_EQ (parameter (other)->getValueInt(), 0) << other;

    parameter (502)->setValueInt (1, true);
    pumpMessages();
    EXPECT_EQ (page.getDefaultQuality().realtimeChooser.getSelectedId(), 1);
}

} // namespace
