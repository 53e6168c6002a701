// The settings file: defaults, the full save by OK, the position-only saves, and write
// failures.
#include "framework/Types.h"
#include "tests/app/AppFixture.h"

using namespace testing_support;
using namespace framework;

namespace {

using SettingsTest = AppTest;

TEST_F(SettingsTest, DefaultsWithoutAFile) {
    app::TFmMain* form = Start();
    EXPECT_EQ(form->Left(), 1024 / 2 - 337 / 2);
    EXPECT_EQ(form->Top(), 768 / 2 - 339 / 2);
    EXPECT_EQ(app::SleepSetting, 300);
    EXPECT_EQ(app::WaitSetting, 300);
    EXPECT_EQ(app::ShortcutFileName, "Tovanek.desktop");
    EXPECT_EQ(form->edt_dir->Text(), "");
    EXPECT_TRUE(form->rdo_sitei->Checked());
    EXPECT_FALSE(form->rdo_onaji->Checked());
    EXPECT_FALSE(form->chk_moto_del->Checked());
    EXPECT_EQ(form->cmb_bitrate->Text(), "128");
    EXPECT_EQ(app::BitRateSetting, 128);
    EXPECT_EQ(form->cmb_enctype->Text(), "ジョイントステレオ");
    EXPECT_EQ(app::EncodeTypeSetting, 2);
    EXPECT_TRUE(renderer.Calls().empty());
}

TEST_F(SettingsTest, DefaultPositionCentresTheDesignedSizeInTheBatchViewToo) {
    renderer.SetScreenSize({1920, 1080});
    app::TFmMain* form = Start({dir + "/a.txt"});
    EXPECT_EQ(form->Left(), 960 - 168);
    EXPECT_EQ(form->Top(), 540 - 169);
    EXPECT_EQ(form->Width(), 271);
    EXPECT_EQ(form->Height(), 92);
}

TEST_F(SettingsTest, OkAfterFirstStartWritesTheSevenKeysInOrder) {
    app::TFmMain* form = Start();
    form->BitBtn1->UserClick();
    EXPECT_EQ(Ini(),
              "[MAIN]\nFORM_LEFT=344\nFORM_TOP=215\nSAVEDIR=\nONAJI=0\nMOTODEL=0\n"
              "BITRATE=128\nENCODETYPE=2\n");
    EXPECT_TRUE(QuitRequested());
    EXPECT_NE(app::WavFileList, nullptr);  // OK does not release the lists
}

TEST_F(SettingsTest, BitRateIsReadAsAnIntegerAndShownOnlyWhenListed) {
    struct Case {
        const char* line;
        int setting;
        const char* shown;
        const char* savedLine;
    } cases[] = {
        {"BITRATE=100\n", 100, "", "BITRATE=\n"},
        {"BITRATE=0x80\n", 128, "128", "BITRATE=128\n"},
        {"BITRATE=0128\n", 128, "128", "BITRATE=128\n"},
        {"BITRATE=\n", 128, "128", "BITRATE=128\n"},
        {"BITRATE=320\n", 320, "320", "BITRATE=320\n"},
        {"BITRATE=fast\n", 128, "128", "BITRATE=128\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        app::ResetUnitState();
        WriteIni(c.line);
        app::TFmMain* form = Start();
        EXPECT_EQ(app::BitRateSetting, c.setting);
        EXPECT_EQ(form->cmb_bitrate->Text(), c.shown);
        form->SaveSettings();
        EXPECT_NE(Ini().find(c.savedLine), std::string::npos) << Ini();
        app.DestroyForm(form);
    }
}

TEST_F(SettingsTest, OutOfRangeChoicesAndNonOneFlags) {
    WriteIni("ENCODETYPE=7\nONAJI=2\nMOTODEL=2\n");
    app::TFmMain* form = Start();
    EXPECT_EQ(app::EncodeTypeSetting, 7);
    EXPECT_EQ(form->cmb_enctype->ItemIndex(), -1);
    EXPECT_TRUE(form->rdo_sitei->Checked());
    EXPECT_FALSE(form->chk_moto_del->Checked());
    form->BitBtn1->UserClick();
    EXPECT_NE(Ini().find("ENCODETYPE=-1\n"), std::string::npos) << Ini();
    EXPECT_NE(Ini().find("ONAJI=0\n"), std::string::npos);
}

TEST_F(SettingsTest, LoadedChoicesAndUserChangesReachTheSave) {
    WriteIni(
        "FORM_LEFT=-20\nFORM_TOP=5000\nONAJI=1\nMOTODEL=1\nSHORTCUT=Mine.desktop\n"
        "SLEEP=10\nWAIT=-1\n");
    app::TFmMain* form = Start();
    EXPECT_EQ(form->Left(), -20);  // applied as saved, even off the screen
    EXPECT_EQ(form->Top(), 5000);
    EXPECT_TRUE(form->rdo_onaji->Checked());
    EXPECT_TRUE(form->chk_moto_del->Checked());
    EXPECT_EQ(app::ShortcutFileName, "Mine.desktop");
    EXPECT_EQ(app::SleepSetting, 10);
    EXPECT_EQ(app::WaitSetting, -1);

    form->cmb_bitrate->UserSelectItem(0);  // 32
    form->cmb_enctype->UserSelectItem(4);
    form->chk_moto_del->UserClick();
    form->BitBtn1->UserClick();
    std::string ini = Ini();
    EXPECT_NE(ini.find("BITRATE=32\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("ENCODETYPE=4\n"), std::string::npos);
    EXPECT_NE(ini.find("MOTODEL=0\n"), std::string::npos);
    // The values the batches read keep what was loaded.
    EXPECT_EQ(app::BitRateSetting, 128);
    EXPECT_EQ(app::EncodeTypeSetting, 2);
}

TEST_F(SettingsTest, CancelAndCloseSaveOnlyThePosition) {
    const std::string before = "[MAIN]\nFORM_LEFT=1\nFORM_TOP=2\nONAJI=1\nBITRATE=192\n";
    for (bool viaCloseBox : {false, true}) {
        SCOPED_TRACE(viaCloseBox ? "close box" : "cancel");
        std::ofstream(iniPath, std::ios::binary) << before;
        app::ResetUnitState();
        app::TFmMain* form = Start();
        form->cmb_bitrate->UserSelectItem(0);
        form->rdo_sitei->UserClick();
        form->UserMove(30, 40);
        if (viaCloseBox) {
            form->UserClose();
        } else {
            form->BitBtn2->UserClick();
        }
        EXPECT_EQ(Ini(), "[MAIN]\nFORM_LEFT=30\nFORM_TOP=40\nONAJI=1\nBITRATE=192\n");
        EXPECT_EQ(app::WavFileList, nullptr);
        EXPECT_EQ(app::Mp3FileList, nullptr);
        form->ReleaseFileLists();  // a second release does nothing
        EXPECT_TRUE(QuitRequested());
        app.DestroyForm(form);
    }
}

TEST_F(SettingsTest, UnwritableFileShowsTheErrorAndKeepsTheWindow) {
    std::filesystem::create_directory(iniPath);  // a folder cannot be written as a file
    app::TFmMain* form = Start();
    form->BitBtn1->UserClick();
    form->BitBtn2->UserClick();
    form->UserClose();
    ASSERT_EQ(renderer.Calls().size(), 3u);
    for (const DialogCall& call : renderer.Calls()) {
        EXPECT_EQ(call.text, iniPath + " に書き込めません.");
        EXPECT_EQ(call.caption, "Tovanek");
        EXPECT_EQ(call.flags, MB_OK | MB_ICONSTOP);
    }
    EXPECT_FALSE(QuitRequested());
    EXPECT_TRUE(form->Visible());
    EXPECT_NE(app::WavFileList, nullptr);  // the failed handlers released nothing
}

TEST_F(SettingsTest, SaveFolderThatCannotBeEnteredStopsTheShowHandler) {
    WriteIni("SAVEDIR=" + dir + "/gone\nONAJI=1\n");
    app::TFmMain* form = Start({dir + "/a.wav"});
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].flags, MB_OK | MB_ICONSTOP);
    // Values read before the folder were applied; the view switch did not happen.
    EXPECT_TRUE(form->rdo_onaji->Checked());
    EXPECT_EQ(form->edt_dir->Text(), dir + "/gone");
    EXPECT_FALSE(form->page_ctl->Visible());
    EXPECT_TRUE(form->BitBtn1->Visible());
    EXPECT_EQ(form->Width(), 337);
    EXPECT_TRUE(app::WavFileList->empty());
    // With arguments the dispatch still runs, finds nothing and ends the program.
    EXPECT_TRUE(batches.calls.empty());
    EXPECT_TRUE(QuitRequested());
}

}  // namespace
