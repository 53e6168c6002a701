// The WAV-to-MP3 batch over the real encoder library, driven through scripted dialogs.

#include <gtest/gtest.h>

#include "encoder/GogoTea.h"
#include "tests/e2e/BatchFixture.h"

namespace batch_tests {
namespace {

using framework::IDCANCEL;
using framework::IDNO;
using framework::IDYES;

constexpr std::uint32_t kShort = 11025;  // a quarter of a second

class EncodeBatchTest : public BatchTest {};

TEST_F(EncodeBatchTest, CountsNamesAndWritesBesideTheSources) {
    for (const char* n : {"a.wav", "Live.WAV", "a.b.wav"}) WriteWav(P(n), kShort);
    Wavs({P("a.wav"), P("Live.WAV"), P("a.b.wav")});
    form->EncodeWavList();
    EXPECT_EQ(view.tracks, (std::vector<std::string>{"1 / 3", "2 / 3", "3 / 3"}));
    EXPECT_EQ(view.names, (std::vector<std::string>{"a.wav", "Live.WAV", "a.b.wav"}));
    for (const char* n : {"a.mp3", "Live.mp3", "a.b.mp3", "a.wav", "Live.WAV", "a.b.wav"})
        EXPECT_TRUE(Exists(P(n))) << n;
    EXPECT_TRUE(renderer.Calls().empty());
    EXPECT_TRUE(Leftovers(dir).empty());
}

TEST_F(EncodeBatchTest, WritesIntoTheChosenFolderJoinedAsItStands) {
    fs::create_directory(P("out"));
    WriteWav(P("a.wav"), kShort);
    WriteText(P("out/a.mp3"), "old");
    SaveTo(P("out/"));  // a folder ending in a separator: two in a row
    Wavs({P("a.wav")});
    renderer.ScriptAnswers({IDNO});
    form->EncodeWavList();
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].text, P("out//a.mp3") + " はすでに存在します。上書きしますか？");
    EXPECT_EQ(renderer.Calls()[0].caption, "確認");
    EXPECT_EQ(renderer.Calls()[0].flags, 0x23u);
    EXPECT_EQ(form->GogoTea->DestinationFile(), P("out//a.mp3"));
}

TEST_F(EncodeBatchTest, OverwriteAnswers) {
    struct Case {
        int answer;
        bool firstReplaced;  // a.mp3 was encoded anew
        bool secondEncoded;  // the batch went on to b.wav
    };
    const Case cases[] = {
        {IDYES, true, true},
        {IDNO, false, true},
        {IDCANCEL, false, false},
        {0, true, true},  // the box could not be shown: as for a missing destination
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        for (const char* n : {"a.mp3", "b.mp3"}) fs::remove(P(n));
        WriteWav(P("a.wav"), kShort);
        WriteWav(P("b.wav"), kShort);
        WriteText(P("a.mp3"), "old");
        fs::permissions(P("a.mp3"), fs::perms::owner_read);  // read-only: reset first
        Wavs({P("a.wav"), P("b.wav")});
        renderer.ClearCalls();
        renderer.ScriptAnswers({c.answer});
        form->EncodeWavList();
        EXPECT_EQ(renderer.Calls().size(), 1u);
        EXPECT_EQ(ReadText(P("a.mp3")) != "old", c.firstReplaced);
        EXPECT_EQ(Exists(P("b.mp3")), c.secondEncoded);
        EXPECT_TRUE(Exists(P("a.wav")) && Exists(P("b.wav")));
    }
}

TEST_F(EncodeBatchTest, AFolderInTheWayCannotBeReplacedAndStopsTheBatch) {
    WriteWav(P("a.wav"), kShort);
    WriteWav(P("b.wav"), kShort);
    fs::create_directory(P("a.mp3"));
    Wavs({P("a.wav"), P("b.wav")});
    renderer.ScriptAnswers({IDYES});
    form->EncodeWavList();
    ASSERT_EQ(renderer.Calls().size(), 2u);
    EXPECT_EQ(renderer.Calls()[1].kind, framework::DialogCall::Kind::ShowMessage);
    EXPECT_EQ(renderer.Calls()[1].text, P("a.mp3") + "を削除できませんでした。処理を中止します。");
    EXPECT_EQ(renderer.Calls()[1].caption, "Tovanek");
    EXPECT_FALSE(Exists(P("b.mp3")));
}

TEST_F(EncodeBatchTest, DeletesSourcesOnlyWhenAskedAndEvenReadOnly) {
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        WriteWav(P("a.wav"), kShort);
        fs::permissions(P("a.wav"), fs::perms::owner_read);
        fs::remove(P("a.mp3"));
        DeleteSources(on);
        Wavs({P("a.wav")});
        form->EncodeWavList();
        EXPECT_TRUE(Exists(P("a.mp3")));
        EXPECT_EQ(Exists(P("a.wav")), !on);
        fs::remove(P("a.wav"));
    }
}

TEST_F(EncodeBatchTest, FailedSourceDeletionAsksWhetherToGoOn) {
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        WriteWav(P("a.wav"), kShort);
        WriteWav(P("b.wav"), kShort);
        fs::remove(P("a.mp3"));
        fs::remove(P("b.mp3"));
        std::vector<std::string> attempts;
        app::Calls().DeleteFile = [&](const std::string& path) {
            attempts.push_back(path);
            return false;
        };
        DeleteSources(true);
        Wavs({P("a.wav"), P("b.wav")});
        renderer.ClearCalls();
        renderer.ScriptAnswers(std::vector<int>(answer == IDYES ? 2 : 1, answer));
        form->EncodeWavList();
        ASSERT_GE(renderer.Calls().size(), 1u);
        EXPECT_EQ(renderer.Calls()[0].text, P("a.wav") + "削除失敗しました。処理を続けますか？");
        EXPECT_EQ(renderer.Calls()[0].caption, "Error Msg");
        EXPECT_EQ(renderer.Calls()[0].flags, 0x34u);
        EXPECT_EQ(Exists(P("b.mp3")), answer == IDYES);
        EXPECT_EQ(renderer.Calls().size(), answer == IDYES ? 2u : 1u);
    }
}

TEST_F(EncodeBatchTest, PausesBeforeEachEncodeAndNotForANegativeSetting) {
    WriteWav(P("a.wav"), kShort);
    WriteWav(P("b.wav"), kShort);
    WriteText(P("b.mp3"), "old");
    Wavs({P("a.wav"), P("b.wav")});
    app::SleepSetting = 300;
    renderer.ScriptAnswers({IDNO});  // b is skipped: no pause for it
    form->EncodeWavList();
    EXPECT_EQ(sleeps, (std::vector<std::int32_t>{300}));
    sleeps.clear();
    app::SleepSetting = -1;
    fs::remove(P("a.mp3"));
    Wavs({P("a.wav")});
    form->EncodeWavList();
    EXPECT_TRUE(sleeps.empty());
    EXPECT_TRUE(Exists(P("a.mp3")));
}

TEST_F(EncodeBatchTest, ProgressOfAThousandFrameFileMovesInStepsOfTen) {
    // AllFrames = ceil((N + 1152) / 1152) = 1000 for N = 999 * 1152 samples.
    WriteWav(P("long.wav"), 999 * 1152, 1);
    Wavs({P("long.wav")});
    form->prog_main->SetPosition(55);  // so that the first event's 0 shows as a change
    form->EncodeWavList();
    EXPECT_EQ(form->GogoTea->AllFrames(), 1000);
    std::vector<int> expected = {55};
    for (int p = 0; p <= 100; p += 10) expected.push_back(p);
    // The bar is not reset between files; the handler moves it for every event.
    std::vector<int> distinct;
    for (int p : view.positions)
        if (distinct.empty() || distinct.back() != p) distinct.push_back(p);
    EXPECT_EQ(distinct, expected);
}

TEST_F(EncodeBatchTest, ProgressHandlerArithmetic) {
    struct Case {
        std::int32_t now, all;
        int before, after;
    };
    const Case cases[] = {
        {1, 3, 50, 33},      // truncated
        {500, 1000, 0, 50},  //
        {5, 0, 42, 42},      // no total: the bar stays
        {5, -1, 42, 42},
    };
    for (const Case& c : cases) {
        form->prog_main->SetPosition(c.before);
        form->GogoTeaProgress(form->GogoTea.get(), c.now, c.all);
        EXPECT_EQ(form->prog_main->Position(), c.after) << c.now << "/" << c.all;
    }
}

TEST_F(EncodeBatchTest, BadInputsAreNamedAndTheBatchGoesOnOrStopsAsAnswered) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        const char* reason;
    };
    const Case cases[] = {
        {"missing.wav", [](const std::string&) {}, "ファイルを開けません"},
        {"empty.wav", [](const std::string& p) { WriteText(p, ""); }, "ファイルが空です"},
        {"text.wav", [](const std::string& p) { WriteText(p, "hello, this is not audio at all"); },
         "WAV ファイルではありません"},
        {"cut.wav",
         [](const std::string& p) {
             WriteWav(p, kShort);
             fs::resize_file(p, 30);
         },
         "途中で切れています"},
        {"folder.wav", [](const std::string& p) { fs::create_directory(p); },
         "ファイルではありません"},
    };
    for (int answer : {IDYES, IDNO}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (answer == IDYES ? " yes" : " no"));
            const std::string bad = P(c.name);
            c.make(bad);
            WriteWav(P("good.wav"), kShort);
            fs::remove(P("good.mp3"));
            DeleteSources(true);
            Wavs({bad, P("good.wav")});
            renderer.ClearCalls();
            renderer.ScriptAnswers({answer});
            form->EncodeWavList();
            ASSERT_EQ(renderer.Calls().size(), 1u);
            const auto& box = renderer.Calls()[0];
            EXPECT_EQ(box.text.rfind(bad + ": ", 0), 0u) << box.text;
            EXPECT_NE(box.text.find(c.reason), std::string::npos) << box.text;
            EXPECT_NE(box.text.find("次のファイルに進みますか？"), std::string::npos);
            EXPECT_EQ(box.caption, "ErrorMessage");
            EXPECT_EQ(box.flags, 0x34u);
            EXPECT_FALSE(
                Exists(P(std::string(c.name).replace(std::string(c.name).size() - 4, 4, ".mp3"))));
            EXPECT_EQ(Exists(P("good.mp3")), answer == IDYES);
            if (std::string(c.name) != "missing.wav") {
                EXPECT_TRUE(Exists(bad)) << "never deleted";
            }
            EXPECT_TRUE(Leftovers(dir).empty());
            fs::remove_all(bad);
            if (answer == IDNO) fs::remove(P("good.wav"));
        }
    }
}

TEST_F(EncodeBatchTest, AnUnwritableDestinationFolderIsNamed) {
    WriteWav(P("a.wav"), kShort);
    WriteText(P("plain"), "a file, not a folder");
    SaveTo(P("plain"));
    Wavs({P("a.wav")});
    renderer.ScriptAnswers({IDYES});
    form->EncodeWavList();
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_NE(renderer.Calls()[0].text.find("保存先のフォルダがないか、書き込めません"),
              std::string::npos);
    EXPECT_TRUE(Exists(P("a.wav")));
}

TEST_F(EncodeBatchTest, ARefusedBitRateLeavesTheBatchWithTheComponentsError) {
    WriteWav(P("a.wav"), kShort);
    Wavs({P("a.wav")});
    app::BitRateSetting = 100;
    try {
        form->EncodeWavList();
        ADD_FAILURE() << "no exception";
    } catch (const encoder::EGogoTeaError& e) {
        EXPECT_STREQ(e.what(), encoder::kMsgBadSettings);
    }
    EXPECT_FALSE(Exists(P("a.mp3")));
}

TEST_F(EncodeBatchTest, ADestinationThatIsTheSourceIsNeverTouched) {
    WriteWav(P("a.wav"), kShort);
    fs::create_symlink(P("a.wav"), P("a.mp3"));
    const std::string before = ReadText(P("a.wav"));
    DeleteSources(true);
    Wavs({P("a.wav")});
    renderer.ScriptAnswers({IDYES});
    form->EncodeWavList();
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].kind, framework::DialogCall::Kind::ShowMessage);
    EXPECT_EQ(renderer.Calls()[0].text.rfind(P("a.mp3") + " は変換元のファイルそのものです", 0),
              0u);
    EXPECT_EQ(ReadText(P("a.wav")), before);
}

TEST_F(EncodeBatchTest, TheCloseBoxStopsAfterTheCurrentFileAndSkipsTheMp3Batch) {
    FakeDecoder decoder;
    decoder.Install();
    WriteWav(P("a.wav"), kShort);
    WriteWav(P("b.wav"), kShort);
    Wavs({P("a.wav"), P("b.wav")});
    Mp3s({P("c.mp3")});
    renderer.QueueUserAction([this] { form->UserClose(); });
    form->RunBatches();
    EXPECT_TRUE(Exists(P("a.mp3")));
    EXPECT_FALSE(Exists(P("b.mp3")));
    EXPECT_TRUE(decoder.calls.empty());
    EXPECT_FALSE(app::WavFileList) << "released once the batch has ended";
}

TEST_F(EncodeBatchTest, WavFilesComeBeforeMp3FilesAndACancelledWavBatchStillLetsMp3sRun) {
    FakeDecoder decoder;
    decoder.Install();
    bool encodedBeforeDecoding = false;
    app::Calls().DecoderStartup = [&] {
        encodedBeforeDecoding = Exists(P("a.mp3"));
        decoder.calls.push_back("startup");
        return 1;
    };
    WriteWav(P("a.wav"), kShort);
    WriteWav(P("b.wav"), kShort);
    WriteText(P("b.mp3"), "old");
    Wavs({P("a.wav"), P("b.wav")});
    Mp3s({P("c.mp3")});
    renderer.ScriptAnswers({IDCANCEL});
    form->RunBatches();
    EXPECT_TRUE(encodedBeforeDecoding);
    EXPECT_EQ(ReadText(P("b.mp3")), "old");
    ASSERT_FALSE(decoder.calls.empty());
    EXPECT_EQ(decoder.calls[0], "startup");
}

}  // namespace
}  // namespace batch_tests
