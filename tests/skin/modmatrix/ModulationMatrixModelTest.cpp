#include "skin/modmatrix/ModulationMatrixModel.h"
#include "TestNames.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace
{
class ModelFixture : public ::testing::Test
{
protected:
    ModulationMatrixModel model;

    void fill (std::initializer_list<ModulationEntry> entries)
    {
        for (const auto& e : entries)
        {
            model.addEntry();
            model.setEntry (model.getNumEntries() - 1, e);
        }
    }
};

struct IndexCase
{
    const char* what;
    ModulationEntry entry;
    bool inSource, inContinuous, inAll;
};

class ModulationIndexes : public ModelFixture, public ::testing::WithParamInterface<IndexCase>
{
};

TEST_P (ModulationIndexes, PlaceEachRoute)
{
    const auto& c = GetParam();
    fill ({c.entry});
    const auto e = c.entry;
    EXPECT_EQ (model.getNumEntries(), 1) << c.what << ": every route stays in the list";
    if (ModulationMatrixModel::isValidSource (e.source))
    {
        EXPECT_EQ (model.getEntriesOfSource (e.source).size(), c.inSource ? 1 : 0) << c.what;
        EXPECT_EQ (model.getDestinationsOfSource (e.source).contains (e.destination), c.inSource) << c.what;
    }
    EXPECT_EQ (model.getContinuousDestinations().contains (e.destination), c.inContinuous) << c.what;
    EXPECT_EQ (model.getEntriesOfDestination (e.destination, true).size(), c.inContinuous ? 1 : 0) << c.what;
    EXPECT_EQ (model.getAllDestinations().contains (e.destination), c.inAll) << c.what;
    EXPECT_EQ (model.getEntriesOfDestination (e.destination, false).size(), c.inAll ? 1 : 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P (Table, ModulationIndexes,
                          ::testing::Values (IndexCase{"modulation wheel", {0, 12, 0.5f}, true, true, true},
                                             IndexCase{"velocity", {3, 12, 0.5f}, true, false, true},
                                             IndexCase{"pitch", {4, 7, -1.0f}, true, false, true},
                                             IndexCase{"arpe tie", {8, 0, 1.0f}, true, true, true},
                                             IndexCase{"no source", {-1, 12, 0.5f}, false, false, false},
                                             IndexCase{
                                                 "source past the last", {9, 12, 0.5f}, false, false, false},
                                             IndexCase{"no destination", {2, -1, 0.5f}, false, false, false}),
                          NameFromWhat());

TEST_F (ModelFixture, RemoveRefusesIndexesOutOfRange)
{
    fill ({{0, 1, 0.1f}, {1, 2, 0.2f}});
    for (int bad : {-1, -2, 2, 100})
    {
        model.removeEntry (bad);
        EXPECT_EQ (model.getNumEntries(), 2) << bad;
    }
    model.removeEntry (0);
    ASSERT_EQ (model.getNumEntries(), 1);
    EXPECT_EQ (model.getEntry (0), (ModulationEntry{1, 2, 0.2f}));
    EXPECT_FALSE (model.getAllDestinations().contains (1)) << "indexes follow the removal";
}

TEST_F (ModelFixture, MoveKeepsEveryEntryAndIgnoresBadIndexes)
{
    fill ({{0, 1, 0.1f}, {1, 2, 0.2f}, {2, 3, 0.3f}});
    model.moveEntry (0, 2);
    EXPECT_EQ (model.getEntry (0).destination, 2);
    EXPECT_EQ (model.getEntry (1).destination, 3);
    EXPECT_EQ (model.getEntry (2).destination, 1);
    model.moveEntry (-1, 0);
    model.moveEntry (0, 3);
    EXPECT_EQ (model.getEntry (0).destination, 2);
    EXPECT_EQ (model.getEntry (5), ModulationEntry()) << "out of range reads a neutral entry";
}

class EntryLog : public ModulationMatrixModel::Listener
{
public:
    void modulationEntryChanged (ModulationMatrixModel*, int index) override { changed.add (index); }
    juce::Array<int> changed;
};

TEST_F (ModelFixture, SetEntryTellsOnlyRealChangesAndAmountsChangeInPlace)
{
    fill ({{0, 5, 0.1f}});
    EntryLog log;
    model.addListener (&log);
    model.setEntry (0, {0, 5, 0.1f});
    model.setEntry (1, {0, 5, 0.9f});
    model.setEntry (-1, {0, 5, 0.9f});
    EXPECT_TRUE (log.changed.isEmpty());

    model.setEntry (0, {0, 5, 0.75f});
    EXPECT_EQ (log.changed, juce::Array<int> ({0}));
    EXPECT_FLOAT_EQ (model.getEntriesOfDestination (5, false)[0].amount, 0.75f)
        << "the index sees the new amount";
    model.removeListener (&log);
}

TEST_F (ModelFixture, SourceValuesAreBoundedByTheSources)
{
    model.setSourceValue (2, 0.5f);
    model.setSourceValue (9, 1.0f);
    model.setSourceValue (-1, 1.0f);
    EXPECT_FLOAT_EQ (model.getSourceValue (2), 0.5f);
    EXPECT_FLOAT_EQ (model.getSourceValue (9), 0.0f);
    EXPECT_EQ (ModulationMatrixModel::getSourceNames().size(), ModulationMatrixModel::numSources);
}

// An entry whose three fields are made from one number: a torn read shows fields from two numbers.
ModulationEntry entryFor (int k)
{
    return {k % 9, k, (float) k / 4096.0f};
}

bool isWhole (const ModulationEntry& e)
{
    return e == ModulationEntry() || (e.destination >= 0 && e == entryFor (e.destination));
}

TEST_F (ModelFixture, ASecondThreadNeverReadsTornRows)
{
    for (int i = 0; i < 8; ++i)
        fill ({entryFor (i)});

    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, reads{0};
    std::thread reader (
        [&]
        {
            while (!done.load())
            {
                const int n = model.getNumEntries();
                for (int i = 0; i < n + 1; ++i)
                    if (!isWhole (model.getEntry (i)))
                        ++torn;
                for (int s = 0; s < ModulationMatrixModel::numSources; ++s)
                    for (const auto& e : model.getEntriesOfSource (s))
                        if (!isWhole (e) || e.source != s)
                            ++torn;
                for (int d : model.getAllDestinations())
                    for (const auto& e : model.getEntriesOfDestination (d, false))
                        if (!isWhole (e) || e.destination != d)
                            ++torn;
                ++reads;
            }
        });

    // The editor's side: edits, additions, removals and moves, as fast as it can.
    for (int k = 8; k < 20000; ++k)
    {
        model.setEntry (k % model.getNumEntries(), entryFor (k));
        if (k % 7 == 0)
            model.addEntry();
        if (k % 11 == 0)
            model.removeEntry (k % model.getNumEntries());
        if (k % 5 == 0)
            model.moveEntry (k % model.getNumEntries(), (k / 3) % model.getNumEntries());
        if (model.getNumEntries() < 2)
            model.addEntry();
    }
    while (reads.load() < 10)
        std::this_thread::yield();
    done = true;
    reader.join();
    EXPECT_EQ (torn.load(), 0);
}
} // namespace
