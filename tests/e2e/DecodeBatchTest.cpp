// The MP3-to-WAV batch over a fake decoder that records its calls.

#include <gtest/gtest.h>

#include "tests/e2e/BatchFixture.h"

namespace batch_tests {
namespace {

using framework::IDCANCEL;
using framework::IDNO;
using framework::IDYES;
using Calls = std::vector<std::string>;

class DecodeBatchTest : public BatchTest {
  protected:
    DecodeBatchTest() { decoder.Install(); }
    // The calls of one file that opens, decodes in two polls and completes.
    Calls OneFile(const std::string& source, const std::string& destination) const {
        return {"close", "open " + source, "options 0 0 44100",
                "close", "open " + source, "begin " + destination,
                "poll",  "poll",           "result"};
    }
    FakeDecoder decoder;
};

TEST_F(DecodeBatchTest, CallOrderWithAndWithoutDeletion) {
    WriteText(P("a.mp3"), "x");
    WriteText(P("b.mp3"), "x");
    Mp3s({P("a.mp3"), P("b.mp3")});
    app::WaitSetting = 250;
    form->DecodeMp3List();
    Calls expected = {"startup"};
    for (const char* n : {"a", "b"}) {
        const Calls file = OneFile(P(std::string(n) + ".mp3"), P(std::string(n) + ".wav"));
        expected.insert(expected.end(), file.begin(), file.end());
    }
    EXPECT_EQ(decoder.calls, expected) << "no close after the last file";
    EXPECT_EQ(sleeps, (std::vector<std::int32_t>{250, 250}));
    EXPECT_EQ(view.tracks, (std::vector<std::string>{"1 / 2", "2 / 2"}));
    EXPECT_EQ(view.names, (std::vector<std::string>{"a.mp3", "b.mp3"}));

    decoder.calls.clear();
    DeleteSources(true);
    fs::permissions(P("a.mp3"), fs::perms::owner_read);
    Mp3s({P("a.mp3")});
    app::WaitSetting = -1;
    sleeps.clear();
    form->DecodeMp3List();
    expected = {"startup"};
    const Calls file = OneFile(P("a.mp3"), P("a.wav"));
    expected.insert(expected.end(), file.begin(), file.end());
    expected.push_back("close");
    EXPECT_EQ(decoder.calls, expected);
    EXPECT_FALSE(Exists(P("a.mp3"))) << "read-only, deleted after its attributes were reset";
    EXPECT_TRUE(sleeps.empty()) << "a negative WAIT is no pause";
}

TEST_F(DecodeBatchTest, Destinations) {
    struct Case {
        const char* source;
        bool beside;
        const char* folder;
        const char* destination;
    };
    const Case cases[] = {
        {"/m/a.mp3", true, "", "/m/a.wav"},
        {"/a.mp3", true, "", "//a.wav"},  // a root keeps its separator, then one more
        {"/m/Live.MP3", true, "", "/m/Live.wav"},
        {"/m/a.b.mp3", true, "", "/m/a.b.wav"},
        {"/m/a.mp3", false, "/out", "/out/a.wav"},
        {"/m/a.mp3", false, "/out/", "/out//a.wav"},
        {"/m/a.mp3", false, "", "/a.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        if (c.beside) {
            form->rdo_onaji->SetChecked(true);
        } else {
            SaveTo(c.folder);
        }
        decoder.calls.clear();
        Mp3s({c.source});
        form->DecodeMp3List();
        ASSERT_GE(decoder.calls.size(), 7u);
        EXPECT_EQ(decoder.calls[6], std::string("begin ") + c.destination);
    }
}

TEST_F(DecodeBatchTest, OpenAndBeginFailuresStopTheBatch) {
    struct Case {
        std::vector<std::int32_t> opens;  // results of the open calls
        std::int32_t begin;
        const char* suffix;
        std::size_t fileCalls;  // calls made for the second file
    };
    const Case cases[] = {
        {{1, 1, 0}, 1, " File Open Error!!", 2},     // second file, first open
        {{1, 1, 1, 0}, 1, " File Open Error!!", 5},  // second file, second open
        {{1, 1, 1, 1}, 0, " Decode Error!!", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.suffix);
        decoder = FakeDecoder{};
        decoder.Install();
        decoder.openResults = c.opens;
        decoder.polls = {1000};
        int begins = 0;
        if (c.begin == 0) {
            // The first file's output begins; the second's does not.
            app::Calls().DecoderBeginWavOutput = [&](const char* path) {
                decoder.calls.push_back(std::string("begin ") + path);
                decoder.pollIndex = 0;
                return ++begins == 1 ? 1 : 0;
            };
        }
        WriteText(P("a.mp3"), "x");
        WriteText(P("b.mp3"), "x");
        DeleteSources(true);
        Mp3s({P("a.mp3"), P("b.mp3"), P("c.mp3")});
        renderer.ClearCalls();
        form->DecodeMp3List();
        ASSERT_EQ(renderer.Calls().size(), 1u);
        EXPECT_EQ(renderer.Calls()[0].text, P("b.mp3") + c.suffix)
            << "the source, not the destination";
        EXPECT_EQ(renderer.Calls()[0].caption, "ErrorMessage");
        EXPECT_EQ(renderer.Calls()[0].flags, 0x30u);
        EXPECT_FALSE(Exists(P("a.mp3"))) << "converted and deleted before the failure";
        EXPECT_TRUE(Exists(P("b.mp3")));
        // startup + the first file (8 calls and its close) + the second file's calls.
        EXPECT_EQ(decoder.calls.size(), 1 + 8 + 1 + c.fileCalls);
        for (const auto& call : decoder.calls) EXPECT_EQ(call.find("c.mp3"), std::string::npos);
    }
}

TEST_F(DecodeBatchTest, ProgressFromPolls) {
    struct Case {
        std::int32_t total;
        std::vector<std::int32_t> polls;
        std::vector<int> positions;  // after the reset to 0 at the start
    };
    const Case cases[] = {
        {1000, {250, 500, 999, 1000}, {0, 25, 50, 99, 100}},
        {3, {1, 2, 3}, {0, 33, 66, 100}},
        {0, {5, 10}, {0}},  // no length: the bar stays
        {-4, {5, 10}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        decoder.totalLength = c.total;
        decoder.polls = c.polls;
        decoder.calls.clear();
        form->prog_main->SetPosition(77);
        view.positions.clear();
        Mp3s({P("a.mp3")});
        form->DecodeMp3List();
        std::vector<int> distinct;
        for (int p : view.positions)
            if (distinct.empty() || distinct.back() != p) distinct.push_back(p);
        EXPECT_EQ(distinct, c.positions);
        EXPECT_EQ(std::count(decoder.calls.begin(), decoder.calls.end(), "poll"),
                  static_cast<long>(c.polls.size()))
            << "polls until the decoder reports the end";
    }
}

TEST_F(DecodeBatchTest, OverwriteAnswers) {
    struct Case {
        int answer;
        bool decodedA;  // a.mp3's output began
        bool decodedB;
    };
    const Case cases[] = {
        {IDYES, true, true}, {IDNO, false, true}, {IDCANCEL, false, false}, {0, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        WriteText(P("a.wav"), "old");
        fs::permissions(P("a.wav"), fs::perms::owner_read);
        decoder.calls.clear();
        Mp3s({P("a.mp3"), P("b.mp3")});
        renderer.ClearCalls();
        renderer.ScriptAnswers({c.answer});
        form->DecodeMp3List();
        ASSERT_EQ(renderer.Calls().size(), 1u);
        EXPECT_EQ(renderer.Calls()[0].text, P("a.wav") + " はすでに存在します。上書きしますか？");
        EXPECT_EQ(renderer.Calls()[0].caption, "確認");
        EXPECT_EQ(renderer.Calls()[0].flags, 0x23u);
        auto began = [&](const std::string& d) {
            return std::find(decoder.calls.begin(), decoder.calls.end(), "begin " + d) !=
                   decoder.calls.end();
        };
        EXPECT_EQ(began(P("a.wav")), c.decodedA);
        EXPECT_EQ(began(P("b.wav")), c.decodedB);
        EXPECT_EQ(Exists(P("a.wav")), c.answer != IDYES);  // the fake writes nothing
        fs::remove(P("a.wav"));
    }
}

TEST_F(DecodeBatchTest, AFolderInTheWayStopsTheBatch) {
    fs::create_directory(P("a.wav"));
    Mp3s({P("a.mp3"), P("b.mp3")});
    renderer.ScriptAnswers({IDYES});
    form->DecodeMp3List();
    ASSERT_EQ(renderer.Calls().size(), 2u);
    EXPECT_EQ(renderer.Calls()[1].text, P("a.wav") + "を削除できませんでした。処理を中止します。");
    EXPECT_EQ(decoder.calls, (Calls{"startup"}));
}

TEST_F(DecodeBatchTest, FailedSourceDeletionAsksWhetherToGoOn) {
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        decoder.calls.clear();
        app::Calls().DeleteFile = [](const std::string&) { return false; };
        DeleteSources(true);
        Mp3s({P("a.mp3"), P("b.mp3")});
        renderer.ClearCalls();
        renderer.ScriptAnswers(std::vector<int>(answer == IDYES ? 2 : 1, answer));
        form->DecodeMp3List();
        ASSERT_GE(renderer.Calls().size(), 1u);
        EXPECT_EQ(renderer.Calls()[0].text, P("a.mp3") + "削除失敗しました。処理を続けますか？");
        EXPECT_EQ(renderer.Calls()[0].caption, "Error Msg");
        EXPECT_EQ(renderer.Calls()[0].flags, 0x34u);
        const bool second = std::find(decoder.calls.begin(), decoder.calls.end(),
                                      "begin " + P("b.wav")) != decoder.calls.end();
        EXPECT_EQ(second, answer == IDYES);
    }
}

TEST_F(DecodeBatchTest, AnIncompleteWavNeverLeadsToTheDeletionOfItsMp3) {
    struct Case {
        std::int32_t result;
        const char* reason;
    };
    const Case cases[] = {
        {VBMP3_RESULT_DECODE_ERROR, "最後まで読めません"},
        {VBMP3_RESULT_WRITE_ERROR, "WAV ファイルを書き込めません"},
        {VBMP3_RESULT_NONE, "書き終わっていません"},
    };
    for (int answer : {IDYES, IDNO}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.reason);
            decoder.lastResult = c.result;
            decoder.calls.clear();
            WriteText(P("a.mp3"), "x");
            DeleteSources(true);
            Mp3s({P("a.mp3"), P("b.mp3")});
            renderer.ClearCalls();
            renderer.ScriptAnswers({answer});
            form->DecodeMp3List();
            EXPECT_TRUE(Exists(P("a.mp3")));
            ASSERT_EQ(renderer.Calls().size(), answer == IDYES ? 2u : 1u);
            const auto& box = renderer.Calls()[0];
            EXPECT_EQ(box.text.rfind(P("a.mp3") + ": ", 0), 0u) << box.text;
            EXPECT_NE(box.text.find(c.reason), std::string::npos) << box.text;
            EXPECT_EQ(box.caption, "ErrorMessage");
            EXPECT_EQ(box.flags, 0x34u);
            const bool second = std::find(decoder.calls.begin(), decoder.calls.end(),
                                          "begin " + P("b.wav")) != decoder.calls.end();
            EXPECT_EQ(second, answer == IDYES);
        }
    }
}

}  // namespace
}  // namespace batch_tests
