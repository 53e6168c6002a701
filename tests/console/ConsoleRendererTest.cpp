#include "framework/console/ConsoleRenderer.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/Form.h"
#include "framework/Label.h"
#include "framework/ProgressBar.h"
#include "framework/console/ConsoleRendererFactory.h"
#include "framework/console/InterruptSignal.h"
#include "platform/Messages.h"

namespace framework::console {
namespace {

// One end written by the renderer (or by the test for the input), the other read.
struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        read = fds[0];
        write = fds[1];
        ::fcntl(read, F_SETFL, O_NONBLOCK);
    }
    ~Pipe() {
        if (read >= 0) ::close(read);
        if (write >= 0) ::close(write);
    }
    std::string Take() {
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(read, buffer, sizeof buffer)) > 0) text.append(buffer, n);
        return text;
    }
    void Put(const std::string& text) {
        ASSERT_EQ(::write(write, text.data(), text.size()), ssize_t(text.size()));
    }
    void CloseWrite() {
        ::close(write);
        write = -1;
    }
};

// A batch view as the program lays it out: the file name on the left, the bar below it,
// the counter at the right.
class BatchForm : public TForm {
  public:
    BatchForm() : TForm("FmTest") {
        name = CreateControl<TLabel>("lbl_filename2");
        name->SetBounds(18, 11, 77, 12);
        name->SetCaption("ファイル名・・・・");
        bar = CreateControl<TProgressBar>("prog_main");
        bar->SetBounds(18, 28, 225, 16);
        track = CreateControl<TLabel>("lbl_track");
        track->SetBounds(197, 49, 46, 12);
        track->SetCaption("NN / NN");
        ok = CreateControl<TButton>("BitBtn1");
        ok->SetVisible(false);
    }
    void Set(const std::string& counter, const std::string& file) {
        track->SetCaption(counter);
        name->SetCaption(file);
    }
    TLabel* name;
    TProgressBar* bar;
    TLabel* track;
    TButton* ok;
};

class ConsoleRendererTest : public ::testing::Test {
  protected:
    void Start(bool inputTerminal, bool outputTerminal) {
        ConsoleStreams streams;
        streams.input = input.read;
        streams.output = output.write;
        streams.messages = messages.write;
        streams.inputIsTerminal = inputTerminal;
        streams.outputIsTerminal = outputTerminal;
        streams.columns = 80;
        // Reads from the input must block like a terminal's.
        ::fcntl(input.read, F_SETFL, 0);
        renderer = std::make_unique<ConsoleRenderer>(streams);
        app = std::make_unique<TApplication>(*renderer);
        form = app->CreateForm<BatchForm>();
    }
    void TearDown() override {
        app.reset();
        renderer.reset();
        platform::Msg m;
        while (platform::PeekMessage(m, true)) {
        }
        InterruptSignal::Take();
    }

    Pipe input, output, messages;
    std::unique_ptr<ConsoleRenderer> renderer;
    std::unique_ptr<TApplication> app;
    BatchForm* form = nullptr;
};

TEST_F(ConsoleRendererTest, TerminalRedrawsOneLinePerFileInPlace) {
    Start(false, true);
    form->Show();
    form->Repaint();
    EXPECT_EQ(output.Take(), "") << "the layout's placeholders are never drawn";

    form->Set("1 / 2", "a.wav");
    form->bar->SetPosition(0);
    app->ProcessMessages();
    EXPECT_EQ(output.Take(), "\r1 / 2  a.wav  [--------------------]   0%\x1b[K");
    form->bar->SetPosition(50);
    app->ProcessMessages();
    app->ProcessMessages();  // nothing changed: nothing drawn
    form->bar->SetPosition(100);
    app->ProcessMessages();
    EXPECT_EQ(output.Take(),
              "\r1 / 2  a.wav  [##########----------]  50%\x1b[K"
              "\r1 / 2  a.wav  [####################] 100%\x1b[K");

    form->Set("2 / 2", "b.wav");
    form->bar->SetPosition(10);
    app->ProcessMessages();
    EXPECT_EQ(output.Take(), "\n\r2 / 2  b.wav  [##------------------]  10%\x1b[K");
    form->Hide();
    EXPECT_EQ(output.Take(), "\n");
}

TEST_F(ConsoleRendererTest, PlainOutputPrintsOneLinePerFileWithoutProgress) {
    Start(false, false);
    form->Show();
    for (int file = 1; file <= 2; ++file) {
        form->Set(std::to_string(file) + " / 2", "曲" + std::to_string(file) + ".wav");
        for (int p = 0; p <= 100; p += 10) {
            form->bar->SetPosition(p);
            app->ProcessMessages();
        }
    }
    form->Hide();
    EXPECT_EQ(output.Take(), "1 / 2  曲1.wav\n2 / 2  曲2.wav\n");
}

TEST_F(ConsoleRendererTest, TypedAnswers) {
    struct Case {
        const char* typed;
        unsigned flags;
        int answer;
        int prompts;  // how often the buttons were offered
    };
    const Case cases[] = {
        {"y\n", 0x23, IDYES, 1},    {"No\n", 0x23, IDNO, 1},
        {"c\n", 0x23, IDCANCEL, 1}, {"maybe\n\nY\n", 0x34, IDYES, 3},
        {"n\n", 0x34, IDNO, 1},     {"", 0x23, IDNO, 1},  // end of input
        {"c\n", 0x34, IDNO, 2},  // no Cancel on a Yes/No box: asked again, then the end
    };
    Start(true, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Pipe typed;
        ::fcntl(typed.read, F_SETFL, 0);
        typed.Put(c.typed);
        typed.CloseWrite();
        ::dup2(typed.read, input.read);
        EXPECT_EQ(
            renderer->MessageBox("/t/a.mp3 はすでに存在します。上書きしますか？", "確認", c.flags),
            c.answer);
        const std::string shown = messages.Take();
        EXPECT_EQ(shown.rfind("[確認] /t/a.mp3 はすでに存在します。上書きしますか？\n", 0), 0u)
            << shown;
        const std::string buttons =
            (c.flags & 0xF) == 3 ? "はい(Y)/いいえ(N)/キャンセル(C): " : "はい(Y)/いいえ(N): ";
        int prompts = 0;
        for (auto at = shown.find(buttons); at != std::string::npos;
             at = shown.find(buttons, at + 1))
            ++prompts;
        EXPECT_EQ(prompts, c.prompts) << shown;
    }
}

TEST_F(ConsoleRendererTest, WithoutATerminalQuestionsTakeTheAnswerThatKeepsFiles) {
    Start(false, false);
    EXPECT_EQ(renderer->MessageBox("/t/a.mp3 はすでに存在します。上書きしますか？", "確認", 0x23),
              IDNO);
    EXPECT_EQ(messages.Take(),
              "[確認] /t/a.mp3 はすでに存在します。上書きしますか？\n"
              "はい(Y)/いいえ(N)/キャンセル(C): いいえ（標準入力が端末ではないため自動で回答）\n");
    EXPECT_EQ(
        renderer->MessageBox("/t/a.wav削除失敗しました。処理を続けますか？", "Error Msg", 0x34),
        IDNO);
    EXPECT_EQ(messages.Take(),
              "[Error Msg] /t/a.wav削除失敗しました。処理を続けますか？\n"
              "はい(Y)/いいえ(N): いいえ（標準入力が端末ではないため自動で回答）\n");
    EXPECT_EQ(renderer->MessageBox("/t/a.mp3 File Open Error!!", "ErrorMessage", 0x30), IDOK);
    EXPECT_EQ(messages.Take(), "[ErrorMessage] /t/a.mp3 File Open Error!!\n");
    app->SetTitle("Tovanek");
    app->ShowMessage("/t/a.mp3を削除できませんでした。処理を中止します。");
    EXPECT_EQ(messages.Take(), "[Tovanek] /t/a.mp3を削除できませんでした。処理を中止します。\n");
}

TEST_F(ConsoleRendererTest, ADialogEndsTheStatusLineFirst) {
    Start(false, true);
    form->Show();
    form->Set("1 / 1", "a.wav");
    app->ProcessMessages();
    output.Take();
    renderer->MessageBox("q", "確認", 0x23);
    EXPECT_EQ(output.Take(), "\n");
    form->bar->SetPosition(40);
    app->ProcessMessages();
    EXPECT_EQ(output.Take(), "\r1 / 1  a.wav  [########------------]  40%\x1b[K");
}

TEST_F(ConsoleRendererTest, AWindowThatNeedsInputEndsTheProgramWithTheNotice) {
    Start(true, true);
    SetWindowNotice("The settings window needs a graphical session; settings: /x/main.ini");
    form->ok->SetVisible(true);
    form->Show();
    // A wait with a timeout is the program's own (a batch); it is not the user's turn.
    app->WaitForWork(std::chrono::milliseconds(1));
    EXPECT_EQ(messages.Take(), "");
    const auto start = std::chrono::steady_clock::now();
    app->Run();  // would never return if it waited for a click
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(app->Terminated());
    EXPECT_EQ(messages.Take(),
              "The settings window needs a graphical session; settings: /x/main.ini\n");
    SetWindowNotice("");
}

TEST_F(ConsoleRendererTest, InterruptClosesTheShownWindow) {
    Start(false, false);
    int closes = 0;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        ++closes;
        action = caNone;  // as a running batch does: it stops after its file
    };
    form->Show();
    InterruptSignal::WakeHandle();
    InterruptSignal::Raise();
    const auto start = std::chrono::steady_clock::now();
    app->WaitForWork();  // wakes for the interrupt
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    app->ProcessMessages();
    EXPECT_EQ(closes, 1);
    EXPECT_NE(messages.Take().find("中断"), std::string::npos);
    app->ProcessMessages();
    EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace framework::console
