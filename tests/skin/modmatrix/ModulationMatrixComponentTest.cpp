#include "skin/modmatrix/ModulationMatrixComponent.h"
#include "TestNames.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
class MatrixEditor : public ::testing::Test
{
protected:
    ModulationMatrixModel model;
    ModulationMatrixComponent editor{"ModulationMatrix"};

    void SetUp() override
    {
        editor.setSize (700, 300);
        editor.setMatrix (&model);
    }

    void addRows (int n)
    {
        for (int i = 0; i < n; ++i)
        {
            editor.buttonPressed (&editor.getAddButton(), false);
            model.setEntry (model.getNumEntries() - 1, {i % 9, 100 + i, 0.0f});
        }
        pumpMessages();
    }

    juce::Array<int> destinations() const
    {
        juce::Array<int> d;
        for (const auto& e : model.getEntries())
            d.add (e.destination);
        return d;
    }
};

struct MoveCase
{
    const char* what;
    int selected;
    bool up, ctrl;
    int expectedSelection;
    std::vector<int> expectedOrder;
};

class MatrixMoves : public MatrixEditor, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P (MatrixMoves, MoveTheSelectionOrTheRow)
{
    const auto& c = GetParam();
    addRows (3);
    editor.selectRow (c.selected);
    editor.buttonPressed (c.up ? &editor.getUpButton() : &editor.getDownButton(), c.ctrl);
    pumpMessages();
    EXPECT_EQ (editor.getSelectedRow(), c.expectedSelection) << c.what;
    EXPECT_EQ (destinations(), juce::Array<int> (c.expectedOrder.data(), (int) c.expectedOrder.size()))
        << c.what;
    for (int i = 0; i < editor.getNumRows(); ++i)
    {
        EXPECT_EQ (editor.getRow (i)->getEntry(), model.getEntry (i)) << c.what << ": rows follow the model";
        EXPECT_EQ (editor.getRow (i)->isSelected(), i == c.expectedSelection) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P (
    Table, MatrixMoves,
    ::testing::Values (MoveCase{"up on the first row", 0, true, false, 0, {100, 101, 102}},
                       MoveCase{"down on the last row", 2, false, false, 2, {100, 101, 102}},
                       MoveCase{"up", 2, true, false, 1, {100, 101, 102}},
                       MoveCase{"down", 0, false, false, 1, {100, 101, 102}},
                       MoveCase{"ctrl up moves the row", 2, true, true, 1, {100, 102, 101}},
                       MoveCase{"ctrl down moves the row", 0, false, true, 1, {101, 100, 102}},
                       MoveCase{"ctrl up on the first row", 0, true, true, 0, {100, 101, 102}},
                       MoveCase{"ctrl down on the last row", 2, false, true, 2, {100, 101, 102}},
                       MoveCase{"ctrl without a selection", -1, false, true, -1, {100, 101, 102}}),
    NameFromWhat());

TEST_F (MatrixEditor, DeletingKeepsASelectionWhileRowsRemain)
{
    addRows (3);
    editor.selectRow (2);
    editor.buttonPressed (&editor.getDeleteButton(), false);
    pumpMessages();
    EXPECT_EQ (destinations(), juce::Array<int> ({100, 101}));
    EXPECT_EQ (editor.getSelectedRow(), 1) << "the new last row";
    EXPECT_TRUE (editor.getRow (1)->isSelected());

    editor.selectRow (0);
    editor.buttonPressed (&editor.getDeleteButton(), false);
    editor.buttonPressed (&editor.getDeleteButton(), false);
    pumpMessages();
    EXPECT_EQ (model.getNumEntries(), 0);
    EXPECT_EQ (editor.getNumRows(), 0);
    EXPECT_EQ (editor.getSelectedRow(), -1);

    editor.buttonPressed (&editor.getDeleteButton(), false); // nothing selected, nothing to delete
    EXPECT_EQ (editor.getNumRows(), 0);
}

TEST_F (MatrixEditor, ChangingAnAmountKeepsTheRowAndTheSelection)
{
    addRows (3);
    editor.selectRow (1);
    auto* row = editor.getRow (1);
    auto* slider = &row->getSlider();
    for (double amount : {0.25, 0.5, -1.0})
    {
        slider->setValue (amount, juce::sendNotificationSync);
        pumpMessages();
        ASSERT_EQ (editor.getRow (1), row) << "the row under the mouse survives";
        EXPECT_EQ (&editor.getRow (1)->getSlider(), slider);
        EXPECT_EQ (editor.getSelectedRow(), 1);
        EXPECT_FLOAT_EQ (model.getEntry (1).amount, (float) amount);
        EXPECT_EQ (row->getAmountText().getText(), ModulationMatrixComponent::formatAmount (amount));
    }
}

TEST_F (MatrixEditor, AnEntryChangedElsewhereUpdatesItsRowInPlace)
{
    addRows (2);
    editor.selectRow (0);
    auto* row = editor.getRow (0);
    model.setEntry (0, {5, 100, -0.5f});
    pumpMessages();
    EXPECT_EQ (editor.getRow (0), row);
    EXPECT_EQ (row->getEntry(), (ModulationEntry{5, 100, -0.5f}));
    EXPECT_EQ (editor.getSelectedRow(), 0);
}

TEST_F (MatrixEditor, AnEntryAddedElsewhereRebuildsTheRows)
{
    addRows (1);
    model.addEntry();
    model.setEntry (1, {2, 7, 0.5f});
    pumpMessages();
    ASSERT_EQ (editor.getNumRows(), 2);
    EXPECT_EQ (editor.getRow (1)->getEntry(), model.getEntry (1));
    EXPECT_EQ (editor.getRow (1)->getBounds().getY(), ModulationMatrixComponent::rowHeight);
}

TEST_F (MatrixEditor, SourceLevelsFollowTheModelClamped)
{
    addRows (2); // sources 0 and 1
    model.setSourceValue (1, 3.0f);
    pumpMessages();
    EXPECT_FLOAT_EQ (editor.getRow (1)->getSlider().getSourceLevel(), 1.0f);
    EXPECT_FLOAT_EQ (editor.getRow (0)->getSlider().getSourceLevel(), 0.0f);
}

TEST (ModulationMatrixWithoutModel, AddsRowsButDeletesAndMovesNothing)
{
    ModulationMatrixComponent editor ("ModulationMatrix");
    editor.setSize (600, 300);
    editor.buttonPressed (&editor.getAddButton(), false);
    editor.buttonPressed (&editor.getAddButton(), false);
    ASSERT_EQ (editor.getNumRows(), 2);
    auto* first = editor.getRow (0);
    editor.selectRow (0);
    editor.buttonPressed (&editor.getDownButton(), true);
    editor.buttonPressed (&editor.getDeleteButton(), false);
    EXPECT_EQ (editor.getNumRows(), 2);
    EXPECT_EQ (editor.getRow (0), first);
    editor.getRow (0)->getSlider().setValue (0.5, juce::sendNotificationSync); // no model to write: no crash
    EXPECT_EQ (editor.getRow (0)->getAmountText().getText(), "+0.5000");
}

TEST (ModulationMatrixAmountText, FourDecimalsAndASignAboveZero)
{
    const std::pair<double, const char*> cases[] = {
        {0.25, "+0.2500"}, {0.0, "0.0000"}, {-1.0, "-1.0000"}, {1.0, "+1.0000"}, {-0.00004, "-0.0000"}};
    for (const auto& [amount, text] : cases)
        EXPECT_EQ (ModulationMatrixComponent::formatAmount (amount), text) << amount;
}

TEST (ModulationMatrixLayout, TableRowsAndSlider)
{
    ModulationMatrixComponent editor ("ModulationMatrix");
    EXPECT_EQ (editor.getBounds().getWidth(), 400);
    editor.setSize (700, 300);
    editor.buttonPressed (&editor.getAddButton(), false);
    const auto table = editor.getTable().getBounds();
    EXPECT_EQ (table.getX(), 8);
    EXPECT_EQ (table.getRight(), 692);
    EXPECT_EQ (table.getBottom(), 292);
    auto* row = editor.getRow (0);
    EXPECT_EQ (row->getHeight(), ModulationMatrixComponent::rowHeight);
    EXPECT_EQ (row->getSourceBox().getBounds(), juce::Rectangle<int> (4, 8, 150, 20));
    EXPECT_EQ (row->getDestinationBox().getBounds(), juce::Rectangle<int> (158, 8, 150, 20));
    EXPECT_EQ (row->getAmountText().getRight(), row->getWidth() - 4);
    EXPECT_EQ (row->getSlider().getX(), 313);
    EXPECT_EQ (row->getSourceBox().getOwnMenu().getNumItems(), 9);
}
} // namespace
