// The folder list and the drive combo, over temporary folders that stand in for volumes.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "framework/DirectoryListBox.h"
#include "framework/DriveComboBox.h"
#include "framework/EInOutError.h"
#include "framework/Form.h"
#include "framework/VolumeQueries.h"
#include "tests/framework/TestApp.h"

using namespace framework;
namespace fs = std::filesystem;

namespace {

class FolderControlsTest : public testing_support::HeadlessAppTest {
  protected:
    struct F : TForm {
        F() : TForm("F") {}
    };
    FolderControlsTest() {
        char pattern[] = "/tmp/tovanek-folders-XXXXXX";
        root = mkdtemp(pattern);
        volA = root + "/volA";
        volB = root + "/volB";
        fs::create_directories(volA + "/music/live");
        fs::create_directories(volA + "/out");
        fs::create_directories(volB + "/backup");
        // Two folders play the part of two mounted volumes.
        SetVolumeQueriesForTesting(FoldersAsVolumes({volA, volB}));
        form = app.CreateForm<F>();
        drive = form->CreateControl<TDriveComboBox>("drive_cmb");
        list = form->CreateControl<TDirectoryListBox>("dir_lst");
        drive->SetDirList(list);
        list->SetDirectory(volA + "/music");
        drive->SetDrive(volA);
        list->OnChange = [this](TObject*) { events.push_back("list " + list->Directory()); };
        drive->OnChange = [this](TObject*) { events.push_back("drive " + drive->Drive()); };
    }
    ~FolderControlsTest() override {
        SetVolumeQueriesForTesting(std::nullopt);
        fs::remove_all(root);
    }

    std::string root, volA, volB;
    F* form = nullptr;
    TDriveComboBox* drive = nullptr;
    TDirectoryListBox* list = nullptr;
    std::vector<std::string> events;
};

TEST_F(FolderControlsTest, ListShowsTheChainThenTheSubfolders) {
    const auto& items = list->Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items.front(), "/");
    EXPECT_EQ(items[static_cast<std::size_t>(list->ChainLength()) - 1], "music");
    EXPECT_EQ(items.back(), "live");
    EXPECT_EQ(list->ItemIndex(), list->ChainLength() - 1);
    EXPECT_EQ(list->ItemPath(list->ChainLength()), volA + "/music/live");
    EXPECT_EQ(list->ItemPath(list->ChainLength() - 2), volA);

    list->UserSelectItem(list->ChainLength());  // into "live"
    EXPECT_EQ(list->Directory(), volA + "/music/live");
    EXPECT_EQ(events, (std::vector<std::string>{"list " + volA + "/music/live"}));
}

TEST_F(FolderControlsTest, FolderThatCannotBeEnteredRaisesAndChangesNothing) {
    EXPECT_THROW(list->SetDirectory(volA + "/gone"), EInOutError);
    EXPECT_EQ(list->Directory(), volA + "/music");
    list->SetDirectory("");                // empty: stays
    list->SetDirectory(volA + "/music/");  // the same folder in another spelling
    EXPECT_TRUE(events.empty());

    list->UserChooseFolder(volA + "/gone");  // by the user: the error box
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(list->Directory(), volA + "/music");
}

TEST_F(FolderControlsTest, NewDriveGoesToTheListAndRaisesChangeSameDriveIsIgnored) {
    drive->SetDrive(volA);
    EXPECT_TRUE(events.empty());

    drive->SetDrive(volB);
    EXPECT_EQ(list->Directory(), volB);
    EXPECT_EQ(drive->ItemIndex(), 1);
    // The list changes first (passed on), then the combo reports its own change.
    EXPECT_EQ(events, (std::vector<std::string>{"list " + volB, "drive " + volB}));

    // Back on the first volume, the list returns to the folder it showed there.
    events.clear();
    drive->UserSelectItem(0);
    EXPECT_EQ(list->Directory(), volA + "/music");
    EXPECT_EQ(events.back(), "drive " + volA);
}

TEST_F(FolderControlsTest, EmptyDriveSelectsNothingAndLeavesTheList) {
    drive->SetDrive("");
    EXPECT_EQ(drive->ItemIndex(), -1);
    EXPECT_EQ(list->Directory(), volA + "/music");
    EXPECT_EQ(events, (std::vector<std::string>{"drive "}));
    drive->SetDrive("");
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(FolderControlsTest, VolumeThatCannotBeEnteredLeavesTheListWhereItIs) {
    fs::remove_all(volB);
    drive->SetDrive(volB);
    EXPECT_EQ(list->Directory(), volA + "/music");
    EXPECT_EQ(events, (std::vector<std::string>{"drive " + volB}));
}

}  // namespace
