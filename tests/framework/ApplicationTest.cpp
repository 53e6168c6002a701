// The application object: pumping, waiting, termination, dialogs, form showing.
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <vector>

#include "framework/Exception.h"
#include "framework/Form.h"
#include "platform/Thread.h"
#include "tests/framework/TestApp.h"

using namespace framework;
using testing_support::HeadlessAppTest;

namespace {

using ApplicationTest = HeadlessAppTest;

TEST(StandardErrorText, AppendsDotOnlyWhenLastByteSortsAfterIt) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Drive not ready", "Drive not ready."},
        {"ends with dot.", "ends with dot."},
        {"ends with comma,", "ends with comma,"},   // ',' sorts before '.'
        {"ends with slash/", "ends with slash/."},  // '/' sorts after '.'
        {"", ""},
        {"/tmp/x.ini に書き込めません", "/tmp/x.ini に書き込めません."},  // UTF-8 bytes > '.'
        {"GOGO.DLLを初期化できません.", "GOGO.DLLを初期化できません."},
    };
    for (const Case& c : cases) EXPECT_EQ(StandardErrorText(c.message), c.shown) << c.message;
}

TEST_F(ApplicationTest, ShowExceptionUsesTitleAndStopIcon) {
    app.ShowException(Exception("Drive not ready"));
    ASSERT_EQ(renderer.Calls().size(), 1u);
    const DialogCall& call = renderer.Calls()[0];
    EXPECT_EQ(call.text, "Drive not ready.");
    EXPECT_EQ(call.caption, "Tovanek");
    EXPECT_EQ(call.flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(call.flags, 0x10u);
}

TEST_F(ApplicationTest, ScriptedAnswersGoToQuestionsOnly) {
    renderer.ScriptAnswers({IDNO, 0});
    app.ShowMessage("notice");                                                // takes no answer
    EXPECT_EQ(app.MessageBox("err", "c", MB_OK | MB_ICONEXCLAMATION), IDOK);  // neither
    EXPECT_EQ(app.MessageBox("q1", "確認", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(app.MessageBox("q2", "確認", MB_YESNOCANCEL | MB_ICONQUESTION), 0);
    // Script used up: the safest choice.
    EXPECT_EQ(app.MessageBox("q3", "c", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(app.MessageBox("q4", "c", MB_YESNO), IDNO);

    const auto& calls = renderer.Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].kind, DialogCall::Kind::ShowMessage);
    EXPECT_EQ(calls[0].caption, "Tovanek");
    EXPECT_TRUE(calls[2].scripted);
    EXPECT_FALSE(calls[4].scripted);
    EXPECT_EQ(calls[2].flags, 0x23u);
}

TEST_F(ApplicationTest, ProcessMessagesDispatchesEverythingThenReturns) {
    std::vector<int> seen;
    platform::HWnd wnd = 0;
    wnd = platform::AllocateHWnd([&](std::uint32_t msg, platform::WParam w, platform::LParam) {
        if (msg == platform::WM_USER) {
            seen.push_back(static_cast<int>(w));
            // A message posted while dispatching is handled in the same call.
            if (w == 1) platform::PostMessage(wnd, platform::WM_USER, 99, 0);
        }
        return platform::LResult{0};
    });
    int actions = 0;
    renderer.QueueUserAction([&] { ++actions; });
    for (int i = 1; i <= 3; ++i) platform::PostMessage(wnd, platform::WM_USER, i, 0);

    app.ProcessMessages();

    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 99}));
    EXPECT_EQ(actions, 1);
    platform::Msg left;
    EXPECT_FALSE(platform::PeekMessage(left, false));
    EXPECT_FALSE(app.Terminated());
    platform::DeallocateHWnd(wnd);
}

TEST_F(ApplicationTest, TerminateEndsRunAndIsSeenByProcessMessages) {
    app.Terminate();
    app.Run();  // returns at once on the posted quit
    EXPECT_TRUE(app.Terminated());
}

TEST_F(ApplicationTest, PostFromAnotherThreadWakesTheWait) {
    platform::ThreadId main = platform::CurrentThreadId();
    auto start = std::chrono::steady_clock::now();
    platform::Thread poster([main] {
        platform::SleepMs(50);
        platform::PostThreadMessage(main, platform::WM_USER, 0, 0);
    });
    app.WaitForWork(std::chrono::seconds(10));
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(40));
    EXPECT_LT(waited, std::chrono::seconds(5));
    poster.Join();
}

// A form that records the order of its showing steps.
class ShowForm : public TForm {
  public:
    explicit ShowForm(std::vector<std::string>* log) : TForm("F"), log_(log) {
        SetDesignVisible(true);
    }

  protected:
    void CMShowingChanged(TMessage& m) override {
        TForm::CMShowingChanged(m);
        log_->push_back(Visible() ? "after-inherited-visible" : "after-inherited-hidden");
    }

  private:
    std::vector<std::string>* log_;
};

TEST_F(ApplicationTest, DesignVisibleFormShowsDuringCreationOnShowFirst) {
    std::vector<std::string> log;
    struct F : ShowForm {
        explicit F(std::vector<std::string>* l) : ShowForm(l) {
            OnShow = [l](TObject*) { l->push_back("OnShow"); };
        }
    };
    TForm* form = app.CreateForm<F>(&log);
    EXPECT_EQ(log, (std::vector<std::string>{"OnShow", "after-inherited-visible"}));
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(app.MainForm(), form);
    // The renderer realized it, then put it on screen.
    EXPECT_EQ(renderer.Log(), (std::vector<std::string>{"realize F", "show F"}));
}

TEST_F(ApplicationTest, ExceptionInOnShowIsShownAndTheFormStillComesUp) {
    std::vector<std::string> log;
    struct F : ShowForm {
        explicit F(std::vector<std::string>* l) : ShowForm(l) {
            OnShow = [l](TObject*) {
                l->push_back("OnShow");
                throw Exception("bad folder");
                l->push_back("never");
            };
        }
    };
    TForm* form = app.CreateForm<F>(&log);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(log, (std::vector<std::string>{"OnShow", "after-inherited-visible"}));
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].text, "bad folder.");
    EXPECT_EQ(renderer.Calls()[0].flags, MB_OK | MB_ICONSTOP);
}

TEST_F(ApplicationTest, ExceptionLeavingCreationDestroysTheFormAndPropagates) {
    struct F : TForm {
        F() : TForm("Bad") { SetDesignVisible(true); }
        void CMShowingChanged(TMessage& m) override {
            TForm::CMShowingChanged(m);
            throw Exception("from a batch");
        }
    };
    EXPECT_THROW(app.CreateForm<F>(), Exception);
    EXPECT_TRUE(app.Forms().empty());
    EXPECT_EQ(app.MainForm(), nullptr);
    EXPECT_EQ(renderer.Log().back(), "destroy Bad");
}

TEST_F(ApplicationTest, ClosingTheMainFormTerminatesAndCaNoneKeepsIt) {
    struct F : TForm {
        F() : TForm("Main") { SetDesignVisible(true); }
    };
    F* form = app.CreateForm<F>();
    TCloseAction wanted = caNone;
    int closes = 0;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        ++closes;
        action = wanted;
    };
    form->UserClose();
    app.ProcessMessages();
    EXPECT_FALSE(app.Terminated());
    wanted = caHide;
    form->UserClose();
    app.ProcessMessages();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(closes, 2);
}

TEST_F(ApplicationTest, ShowModalRunsUntilAButtonSetsTheResult) {
    struct Main : TForm {
        Main() : TForm("Main") {}
    };
    struct Box : TForm {
        Box() : TForm("Box") {}
    };
    app.CreateForm<Main>();
    Box* box = app.CreateForm<Box>();
    struct Button : TControl {
        Button(TForm& f, std::string n) : TControl(f, ControlType::Button, std::move(n)) {}
    };
    Button* button = box->CreateControl<Button>("OK");
    button->SetModalResult(mrOk);
    bool shownWhileModal = false;
    renderer.QueueUserAction([&] {
        shownWhileModal = box->Visible() && box->Modal();
        button->UserClick();
    });
    EXPECT_EQ(box->ShowModal(), mrOk);
    EXPECT_TRUE(shownWhileModal);
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(box->Modal());
}

}  // namespace
