// A path field tells two files apart as the file system does: where names are case-sensitive, a file
// whose name differs only in letter case is another file, and choosing it must reach the listeners.

#include "TestNames.h"
#include "TestSupport.h"
#include "skin/windows/PathComponent.h"

#include <gtest/gtest.h>

namespace
{
class PathChanges : public PathComponent::Listener
{
public:
    void pathChanged (PathComponent* field) override { paths.add (field->getPath()); }
    juce::StringArray paths;
};

TEST (PathComponentFileNames, FilesDifferingOnlyInCaseAreTwoFilesWhereTheFileSystemSaysSo)
{
    TemporaryFolder folder;
    const auto lower = folder.getChildFile ("bank.file"), upper = folder.getChildFile ("Bank.file");
    ASSERT_TRUE (lower.replaceWithText ("one"));
    ASSERT_TRUE (upper.replaceWithText ("two"));
    const bool twoFiles = lower.loadFileAsString() == "one";
    // JUCE's answer for this platform, checked against the folder the test runs in.
    ASSERT_EQ (twoFiles, juce::File::areFileNamesCaseSensitive());

    PathComponent field;
    PathChanges changes;
    field.addListener (&changes);
    field.setPath (lower.getFullPathName(), true);
    field.setPath (upper.getFullPathName(), true);

    const juce::String expected = twoFiles ? upper.getFullPathName() : lower.getFullPathName();
    EXPECT_EQ (field.getPath(), expected);
    EXPECT_EQ (changes.paths.size(), twoFiles ? 2 : 1);

    // The same name again is no change, whatever the file system.
    field.setPath (expected, true);
    EXPECT_EQ (changes.paths.size(), twoFiles ? 2 : 1);
}
} // namespace
