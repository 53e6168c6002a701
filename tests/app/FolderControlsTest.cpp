// The save-folder controls of the main window, over temporary folders that stand in for
// two volumes, with the media check's size query replaced.
#include <filesystem>

#include "framework/VolumeQueries.h"
#include "tests/app/AppFixture.h"

using namespace testing_support;
using namespace framework;
namespace fs = std::filesystem;

namespace {

class FolderControlsTest : public AppTest {
  protected:
    FolderControlsTest() {
        volA = dir + "/volA";
        volB = dir + "/volB";
        fs::create_directories(volA + "/music");
        fs::create_directories(volA + "/out");
        fs::create_directories(volB + "/backup");
        SetVolumeQueriesForTesting(FoldersAsVolumes({volA, volB}));
    }
    ~FolderControlsTest() override { SetVolumeQueriesForTesting(std::nullopt); }

    // Starts the settings view on volA/music; `failing` volumes fail the media check.
    app::TFmMain* StartOn(std::vector<std::string> failing, const std::string& onaji = "0") {
        WriteIni("SAVEDIR=" + volA + "/music\nONAJI=" + onaji + "\n");
        app.SetArguments({"tovanek"});
        // The query must be in place before the settings load, so the window is made
        // here in two steps, as CreateForm does.
        auto* form = new TestFmMain(&batches);
        form->VolumeSizeQuery = [failing](const std::string& root) -> std::int64_t {
            for (const std::string& f : failing) {
                if (f == "*" || f == root) return -1;
            }
            return 1 << 30;
        };
        owned.reset(form);
        form->AfterConstruction();
        return form;
    }

    std::vector<std::string> EnabledChanges() const {
        std::vector<std::string> names;
        for (const RecordedChange& c : renderer.Changes()) {
            if (c.property == Property::Enabled) names.push_back(c.control);
        }
        return names;
    }

    std::string volA, volB;
    std::unique_ptr<TestFmMain> owned;
};

TEST_F(FolderControlsTest, RadioButtonsDisableAndEnableTheThreeInOrder) {
    app::TFmMain* form = StartOn({}, "1");
    EXPECT_FALSE(form->drive_cmb->Enabled());
    EXPECT_FALSE(form->dir_lst->Enabled());
    EXPECT_FALSE(form->edt_dir->Enabled());
    // Greyed out, they keep their values.
    EXPECT_EQ(form->edt_dir->Text(), volA + "/music");

    renderer.ClearChanges();
    form->rdo_sitei->UserClick();
    EXPECT_EQ(EnabledChanges(), (std::vector<std::string>{"drive_cmb", "dir_lst", "edt_dir"}));
    EXPECT_TRUE(form->edt_dir->Enabled());

    renderer.ClearChanges();
    form->rdo_onaji->UserClick();
    EXPECT_EQ(EnabledChanges(), (std::vector<std::string>{"drive_cmb", "dir_lst", "edt_dir"}));
    EXPECT_FALSE(form->dir_lst->Enabled());
}

TEST_F(FolderControlsTest, FolderTextFollowsTheListButNotTheOtherWay) {
    app::TFmMain* form = StartOn({});
    EXPECT_EQ(form->dir_lst->Directory(), volA + "/music");
    EXPECT_EQ(form->drive_cmb->Drive(), volA);
    EXPECT_EQ(form->LastGoodDrive(), volA);  // the check already ran while loading

    form->dir_lst->UserChooseFolder(volA + "/out");
    EXPECT_EQ(form->edt_dir->Text(), volA + "/out");

    form->edt_dir->UserEditText("/typed/by/hand");
    EXPECT_EQ(form->dir_lst->Directory(), volA + "/out");
    form->BitBtn1->UserClick();
    EXPECT_NE(Ini().find("SAVEDIR=/typed/by/hand\n"), std::string::npos);
}

TEST_F(FolderControlsTest, ChoosingADriveMovesTheFocusChoosingAFolderDoesNot) {
    app::TFmMain* form = StartOn({});
    // Loading moved the list before the window was visible: no focus then.
    for (const std::string& line : renderer.Log())
        EXPECT_EQ(line.rfind("focus", 0), std::string::npos);

    form->UserFocus(form->edt_dir);
    form->dir_lst->UserChooseFolder(volA + "/out");
    EXPECT_EQ(form->ActiveControl(), form->edt_dir);

    form->drive_cmb->UserSelectItem(1);  // volB
    EXPECT_EQ(form->dir_lst->Directory(), volB);
    EXPECT_EQ(form->edt_dir->Text(), volB);
    EXPECT_EQ(form->ActiveControl(), form->dir_lst);
    EXPECT_TRUE(renderer.Calls().empty());
}

TEST_F(FolderControlsTest, FailedMediaCheckRestoresTheLastGoodVolumeBeforeTheMessage) {
    app::TFmMain* form = StartOn({volB});
    std::vector<std::string> stateAtMessage;
    renderer.OnDialog = [&](const DialogCall&) {
        stateAtMessage = {form->drive_cmb->Drive(), form->dir_lst->Directory(),
                          form->edt_dir->Text()};
    };
    form->drive_cmb->UserSelectItem(1);

    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].kind, DialogCall::Kind::ShowMessage);
    EXPECT_EQ(renderer.Calls()[0].text, "そのドライブにはメディアが挿入されていません");
    EXPECT_EQ(stateAtMessage, (std::vector<std::string>{volA, volA + "/music", volA + "/music"}));
    EXPECT_EQ(form->drive_cmb->Drive(), volA);
    EXPECT_EQ(form->drive_cmb->ItemIndex(), 0);
    EXPECT_EQ(form->LastGoodDrive(), volA);
}

TEST_F(FolderControlsTest, FirstFailedCheckKeepsTheWindowUsable) {
    app::TFmMain* form = StartOn({"*"});
    EXPECT_EQ(form->LastGoodDrive(), "");
    ASSERT_FALSE(renderer.Calls().empty());
    for (const DialogCall& call : renderer.Calls()) EXPECT_EQ(call.text, app::kMsgNoMedia);
    // FormShow went on: the settings view is up.
    EXPECT_TRUE(form->page_ctl->Visible());
    EXPECT_EQ(form->Width(), 337);

    // Every further choice fails as well, and each comes back with its message.
    renderer.ClearCalls();
    form->drive_cmb->UserSelectItem(1);
    EXPECT_FALSE(renderer.Calls().empty());
    EXPECT_LT(renderer.Calls().size(), 5u);
}

TEST_F(FolderControlsTest, RestoreToAVolumeThatIsGoneEndsWithMessagesNotRecursion) {
    app::TFmMain* form = StartOn({volB});
    ASSERT_EQ(form->LastGoodDrive(), volA);
    // The last good volume disappears and fails too; the folder list cannot go back.
    auto* tm = static_cast<TestFmMain*>(form);
    tm->VolumeSizeQuery = [](const std::string&) -> std::int64_t { return -1; };
    fs::remove_all(volA);
    form->drive_cmb->UserSelectItem(1);
    ASSERT_FALSE(renderer.Calls().empty());
    EXPECT_LT(renderer.Calls().size(), 20u);
    for (const DialogCall& call : renderer.Calls()) EXPECT_EQ(call.text, app::kMsgNoMedia);
    // The combo and the list agree on where they ended.
    EXPECT_EQ(form->drive_cmb->Drive(), form->dir_lst->Drive());
    EXPECT_EQ(form->edt_dir->Text(), form->dir_lst->Directory());
}

TEST_F(FolderControlsTest, CheckDriveReadyRaisesForAnUnreadableVolume) {
    app::TFmMain* form = StartOn({volB});
    EXPECT_EQ(form->CheckDriveReady(volA), 1 << 30);
    try {
        form->CheckDriveReady(volB);
        FAIL() << "no exception";
    } catch (const framework::Exception& e) {
        EXPECT_STREQ(e.what(), "Drive not ready");
    }
    EXPECT_THROW(form->CheckDriveReady(""), framework::Exception);
}

}  // namespace
