// Start-up: sorting the arguments, the two views, and the dispatch of the batches.
#include <algorithm>

#include "app/MainLayout.h"
#include "framework/Application.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/app/AppFixture.h"

using namespace testing_support;

namespace {

using IntakeTest = AppTest;

TEST_F(IntakeTest, ArgumentsAreSortedByTheirLowerCasedExtension) {
    const std::string in = "/nonexistent-tovanek/in/";
    Start({in + "b.mp3", in + "a.wav", in + "Song.MP3", in + "Take.Wav", in + "notes.txt",
           in + "old.wav.bak", in + "readme", in + "a.wav", in + "dot.d/file"});
    EXPECT_EQ(*app::WavFileList, (app::TStringList{in + "a.wav", in + "Take.Wav", in + "a.wav"}));
    EXPECT_EQ(*app::Mp3FileList, (app::TStringList{in + "b.mp3", in + "Song.MP3"}));
    // All WAV files go before any MP3 file.
    EXPECT_EQ(batches.calls, (std::vector<std::string>{"wav 3", "mp3 2"}));
}

TEST_F(IntakeTest, RelativeArgumentIsTakenAgainstTheCurrentFolder) {
    Start({"take.wav"});
    ASSERT_EQ(app::WavFileList->size(), 1u);
    EXPECT_EQ((*app::WavFileList)[0], platform::MakeAbsolute("take.wav"));
    EXPECT_EQ((*app::WavFileList)[0].front(), '/');
}

TEST_F(IntakeTest, ViewFollowsTheArgumentCount) {
    struct Case {
        std::vector<std::string> arguments;
        bool batchView;
        int width, height;
        std::vector<std::string> calls;
    } cases[] = {
        {{}, false, 337, 339, {}},
        {{"/x/notes.txt"}, true, 271, 92, {}},  // nothing to convert, still the batch view
        {{"/x/a.mp3"}, true, 271, 92, {"mp3 1"}},
        {{"/x/a.wav"}, true, 271, 92, {"wav 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.size());
        app::ResetUnitState();
        batches.calls.clear();
        app::TFmMain* form = Start(c.arguments);
        EXPECT_EQ(form->page_ctl->Visible(), !c.batchView);
        EXPECT_EQ(form->BitBtn1->Visible(), !c.batchView);
        EXPECT_EQ(form->BitBtn2->Visible(), !c.batchView);
        EXPECT_EQ(form->lbl_filename2->Visible(), c.batchView);
        EXPECT_EQ(form->prog_main->Visible(), c.batchView);
        EXPECT_EQ(form->lbl_track->Visible(), c.batchView);
        EXPECT_EQ(form->Width(), c.width);
        EXPECT_EQ(form->Height(), c.height);
        EXPECT_EQ(batches.calls, c.calls);
        // A batch run ends the program by itself; the settings view waits for the user.
        EXPECT_EQ(QuitRequested(), c.batchView);
        EXPECT_EQ(app::FormShownFlag, 1);
        app.DestroyForm(form);
    }
}

TEST_F(IntakeTest, BatchesRunOnScreenBeforeCreationReturnsThenQuit) {
    std::vector<std::string> logAtBatch;
    bool mainFormSet = true;
    int shownFlag = 0;
    batches.duringWav = [&] {
        logAtBatch = renderer.Log();
        mainFormSet = app.MainForm() != nullptr;
        shownFlag = app::FormShownFlag;
    };
    app::TFmMain* form = Start({"/x/a.wav"});
    // Shown, then painted in the batch view, before the first batch began.
    auto show = std::find(logAtBatch.begin(), logAtBatch.end(), "show FmMain");
    auto paint = std::find(logAtBatch.begin(), logAtBatch.end(), "repaint FmMain");
    EXPECT_NE(show, logAtBatch.end());
    EXPECT_TRUE(show < paint && paint != logAtBatch.end());
    EXPECT_FALSE(mainFormSet);  // still inside the window's creation
    EXPECT_EQ(shownFlag, 1);
    EXPECT_EQ(app.MainForm(), form);
    EXPECT_TRUE(QuitRequested());
}

TEST_F(IntakeTest, ClosingDuringABatchStopsItAndReleasesTheListsAfterwards) {
    app::TFmMain* form = nullptr;
    bool listsValidAfterClose = false;
    batches.duringWav = [&] {
        form = static_cast<app::TFmMain*>(app.Forms().front());
        form->UserClose();
        listsValidAfterClose = app::WavFileList && app::WavFileList->size() == 1;
        EXPECT_TRUE(form->StopRequested());
    };
    Start({"/x/a.wav", "/x/b.mp3"});
    EXPECT_TRUE(listsValidAfterClose);
    EXPECT_EQ(batches.calls, (std::vector<std::string>{"wav 1"}));  // the MP3 batch is skipped
    EXPECT_EQ(app::WavFileList, nullptr);
    EXPECT_EQ(app::Mp3FileList, nullptr);
    EXPECT_NE(Ini().find("FORM_LEFT="), std::string::npos);
    EXPECT_TRUE(QuitRequested());
}

TEST_F(IntakeTest, DesignValuesOfTheEncoderComponent) {
    app::TFmMain* form = Start();
    const encoder::TGogoTea& gogo = *form->GogoTea;
    EXPECT_EQ(gogo.Priority(), encoder::tpIdle);
    EXPECT_EQ(gogo.Frequency(), 100);
    EXPECT_EQ(gogo.Processors(), 1);
    EXPECT_EQ(gogo.EncodeType(), encoder::_JOINT);
    EXPECT_EQ(gogo.EncodeMode(), encoder::_FILE);
    EXPECT_EQ(gogo.EncodeFormat(), encoder::_FORMAT_OF_MP3);
    EXPECT_EQ(gogo.BitRate(), 128);
    EXPECT_EQ(gogo.VBRLevel(), 5);
    EXPECT_EQ(gogo.ExtFilter(), (encoder::TExtFilter{false, 55, 70}));
    EXPECT_EQ(gogo.VBRBitrate(), (encoder::TVBRBitrate{false, 40, 128}));
    EXPECT_EQ(gogo.MSSetting(), (encoder::TMSSetting{false, 75, 66}));
    EXPECT_TRUE(gogo.OnProgress != nullptr);
    form->GogoTeaProgress(nullptr, 500, 1000);
    EXPECT_EQ(form->prog_main->Position(), 50);
    form->GogoTeaProgress(nullptr, 900, 0);  // no frame count: the bar stays
    EXPECT_EQ(form->prog_main->Position(), 50);
}

TEST_F(IntakeTest, WindowOverTheRealEncoderLibrary) {
    if (!platform::FileOrFolderExists(platform::ExecutableFolder() + "/libgogo.so")) {
        GTEST_SKIP() << "libgogo.so is not beside the tests";
    }
    app.SetArguments({"tovanek"});
    app::TFmMain* form = app.CreateForm<app::TFmMain>();
    EXPECT_FALSE(form->GogoTea->Designing());
    EXPECT_FALSE(form->GogoTea->VersionString().empty());
    EXPECT_EQ(form->GogoTea->Priority(), encoder::tpIdle);
}

}  // namespace
