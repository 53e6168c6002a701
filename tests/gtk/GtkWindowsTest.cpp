// The program's windows drawn by the GTK renderer on a real (virtual) display, read back
// through GTK: the settings view, the batch view, message boxes answered by key
// presses, Enter and Esc, and the about box. Screenshots go to $TOVANEK_ARTIFACTS.

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/SettingsFile.h"
#include "app/UDialog.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "framework/gtk/GtkRenderer.h"
#include "framework/gtk/GtkRendererFactory.h"
#include "platform/Messages.h"

namespace fs = std::filesystem;
using framework::gtk::GtkRenderer;

namespace {

GtkRenderer* g_renderer = nullptr;

void DrainQueue() {
    platform::Msg msg;
    while (platform::PeekMessage(msg, true)) {
    }
}

// Lets GTK run for a while (maps, configures and paints arrive asynchronously).
void Pump(int ms = 100) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Screenshot(GtkWidget* window, const std::string& name) {
    const char* dir = std::getenv("TOVANEK_ARTIFACTS");
    if (!dir) return;
    fs::create_directories(dir);
    Pump(150);
    GdkWindow* gw = gtk_widget_get_window(window);
    ASSERT_NE(gw, nullptr);
    GdkRectangle r;
    gdk_window_get_frame_extents(gw, &r);
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.x, r.y, r.width, r.height);
    ASSERT_NE(shot, nullptr);
    const std::string path = std::string(dir) + "/" + name + ".png";
    EXPECT_TRUE(gdk_pixbuf_save(shot, path.c_str(), "png", nullptr, nullptr)) << path;
    g_object_unref(shot);
}

void ForAll(GtkWidget* w, const std::function<void(GtkWidget*)>& f) {
    f(w);
    if (GTK_IS_CONTAINER(w)) {
        std::vector<GtkWidget*> children;
        gtk_container_forall(
            GTK_CONTAINER(w),
            [](GtkWidget* c, gpointer v) {
                static_cast<std::vector<GtkWidget*>*>(v)->push_back(c);
            },
            &children);
        for (GtkWidget* c : children) ForAll(c, f);
    }
}

std::set<std::string> LabelTexts(GtkWidget* root) {
    std::set<std::string> texts;
    ForAll(root, [&](GtkWidget* w) {
        if (GTK_IS_LABEL(w)) texts.insert(gtk_label_get_text(GTK_LABEL(w)));
    });
    return texts;
}

GdkRectangle RectIn(GtkWidget* w, GtkWidget* root) {
    GtkAllocation a;
    gtk_widget_get_allocation(w, &a);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(w, root, 0, 0, &x, &y);
    return {x, y, a.width, a.height};
}

bool Inside(const GdkRectangle& inner, const GdkRectangle& outer) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// A key press and release on a toplevel, delivered through GTK's event dispatch as
// the X server's would be.
void SendKey(GtkWidget* window, guint keyval) {
    GdkWindow* gw = gtk_widget_get_window(window);
    ASSERT_NE(gw, nullptr);
    GdkKeymapKey* keys = nullptr;
    gint n = 0;
    gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_window_get_display(gw)),
                                      keyval, &keys, &n);
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(gw));
        event->key.send_event = TRUE;
        event->key.time = GDK_CURRENT_TIME;
        event->key.keyval = keyval;
        event->key.hardware_keycode = n > 0 ? keys[0].keycode : 0;
        event->key.group = n > 0 ? keys[0].group : 0;
        gdk_event_set_device(
            event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_window_get_display(gw))));
        gtk_main_do_event(event);
        gdk_event_free(event);
    }
    g_free(keys);
}

// Every mapped label shows its whole text: not narrower than its text, inside the
// button that holds it, and inside the window.
void ExpectNoTextCut(GtkWidget* window) {
    GtkWidget* root = gtk_bin_get_child(GTK_BIN(window));
    const GdkRectangle all = RectIn(root, root);
    ForAll(root, [&](GtkWidget* w) {
        if (!GTK_IS_LABEL(w) || !gtk_widget_get_mapped(w)) return;
        const std::string text = gtk_label_get_text(GTK_LABEL(w));
        if (text.empty()) return;
        SCOPED_TRACE(text);
        const GdkRectangle r = RectIn(w, root);
        int minimum = 0, natural = 0;
        gtk_widget_get_preferred_width(w, &minimum, &natural);
        if (!gtk_label_get_line_wrap(GTK_LABEL(w))) {
            EXPECT_GE(r.width, natural);
        }
        int minH = 0, natH = 0;
        gtk_widget_get_preferred_height_for_width(w, r.width, &minH, &natH);
        EXPECT_GE(r.height, minH);
        EXPECT_TRUE(Inside(r, all)) << r.x << "," << r.y << " " << r.width << "x" << r.height;
        // A label placed in a group box or panel stays inside it.
        if (GtkWidget* box = gtk_widget_get_parent(w); GTK_IS_FIXED(box) && box != root) {
            EXPECT_TRUE(Inside(r, RectIn(box, root)))
                << "outside its box: " << r.x << "," << r.y << " " << r.width << "x" << r.height;
        }
        for (GtkWidget* p = gtk_widget_get_parent(w); p && p != root;
             p = gtk_widget_get_parent(p)) {
            if (GTK_IS_BUTTON(p)) {
                EXPECT_TRUE(Inside(r, RectIn(p, root)))
                    << "label " << r.x << "," << r.y << " " << r.width << "x" << r.height;
                break;
            }
        }
    });
}

// The visible controls with the same parent do not overlap one another (a group box's
// or panel's frame holds its children and is not compared with them).
void ExpectNoOverlap(framework::TForm& form) {
    GtkWidget* root = gtk_bin_get_child(GTK_BIN(g_renderer->WindowOf(form)));
    std::vector<std::pair<framework::TControl*, GdkRectangle>> shown;
    for (framework::TControl* c : form.Controls()) {
        if (c->Type() == framework::ControlType::TabSheet) continue;
        GtkWidget* w = g_renderer->WidgetOf(*c);
        if (!w || !gtk_widget_get_mapped(w)) continue;
        shown.emplace_back(c, RectIn(w, root));
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            if (shown[i].first->Parent() != shown[j].first->Parent()) continue;
            GdkRectangle dummy;
            EXPECT_FALSE(gdk_rectangle_intersect(&shown[i].second, &shown[j].second, &dummy))
                << shown[i].first->Name() << " overlaps " << shown[j].first->Name();
        }
    }
}

// Where the layout puts a control, in the window's client coordinates: the sum of its
// parents' positions, a tab sheet's origin being its notebook page.
GdkRectangle LayoutRect(framework::TControl& c, GtkWidget* root) {
    int x = c.Left(), y = c.Top();
    for (framework::TControl* p = c.Parent(); p; p = p->Parent()) {
        if (p->Type() == framework::ControlType::TabSheet) {
            const GdkRectangle page = RectIn(g_renderer->WidgetOf(*p), root);
            x += page.x;
            y += page.y;
            break;
        }
        x += p->Left();
        y += p->Top();
    }
    return {x, y, c.Width(), c.Height()};
}

void ExpectLayoutGeometry(framework::TForm& form) {
    GtkWidget* root = gtk_bin_get_child(GTK_BIN(g_renderer->WindowOf(form)));
    for (framework::TControl* c : form.Controls()) {
        using framework::ControlType;
        if (c->Type() == ControlType::TabSheet || c->Type() == ControlType::Label) continue;
        GtkWidget* w = g_renderer->WidgetOf(*c);
        if (!w || !gtk_widget_get_mapped(w)) continue;
        SCOPED_TRACE(c->Name());
        const GdkRectangle want = LayoutRect(*c, root);
        const GdkRectangle got = RectIn(w, root);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
    }
}

// A main window whose batches only record what the user sees while they run.
class RecordingFmMain : public app::TFmMain {
  public:
    RecordingFmMain() : TFmMain(Options{.designTimeEncoder = true}) {}
    void EncodeWavList() override {
        if (duringBatch) duringBatch(*this);
    }
    void DecodeMp3List() override {}
    static inline std::function<void(RecordingFmMain&)> duringBatch;
};

class GtkWindowsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char arg0[] = "gtk_tests";
        char* argv[] = {arg0, nullptr};
        static std::unique_ptr<framework::Renderer> renderer =
            framework::gtk::CreateGtkRenderer(argc, argv);
        g_renderer = dynamic_cast<GtkRenderer*>(renderer.get());
    }

    GtkWindowsTest() {
        DrainQueue();
        char pattern[] = "/tmp/tovanek-gtk-XXXXXX";
        dir = mkdtemp(pattern);
        iniPath = dir + "/main.ini";
        app::SetSettingsPathForTesting(iniPath);
        app::ResetUnitState();
    }
    ~GtkWindowsTest() override {
        if (g_renderer) g_renderer->OnDialogShown = nullptr;
        RecordingFmMain::duringBatch = nullptr;
        application.reset();
        Pump(50);
        DrainQueue();
        app::SetSettingsPathForTesting(std::nullopt);
        fs::remove_all(dir);
    }
    void SetUp() override {
        if (!g_renderer) GTEST_SKIP() << "no display";
        application = std::make_unique<framework::TApplication>(*g_renderer);
        application->SetTitle("Tovanek");
    }

    RecordingFmMain* Start(std::vector<std::string> arguments = {}) {
        arguments.insert(arguments.begin(), "tovanek");
        application->SetArguments(arguments);
        auto* form = application->CreateForm<RecordingFmMain>();
        Pump(150);
        return form;
    }
    std::string Ini() const {
        std::ifstream in(iniPath, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Sends a key to the window of `widget`, as the keyboard would.
    static void Key(GtkWidget* window, guint keyval) { SendKey(window, keyval); }

    std::string dir;
    std::string iniPath;
    std::unique_ptr<framework::TApplication> application;
};

TEST_F(GtkWindowsTest, SettingsViewShowsBothPagesAtTheirDesignedPlaces) {
    RecordingFmMain* fm = Start();
    GtkWidget* window = g_renderer->WindowOf(*fm);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(gtk_widget_get_mapped(window));
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window)), "Tovanek");
    EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(window)));

    // Outer 337 x 339; the client area is that less the frame. Without a window manager
    // the X window is the client area.
    EXPECT_EQ(fm->Width(), 337);
    EXPECT_EQ(fm->Height(), 339);
    GtkWidget* root = gtk_bin_get_child(GTK_BIN(window));
    GtkAllocation client;
    gtk_widget_get_allocation(root, &client);
    EXPECT_EQ(client.width, 329);
    EXPECT_EQ(client.height, 312);
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    EXPECT_EQ(x, fm->Left());
    EXPECT_EQ(y, fm->Top());
    // Centred for the designed size on the 1280 x 1024 screen.
    EXPECT_EQ(fm->Left(), 1280 / 2 - 337 / 2);

    const std::set<std::string> texts = LabelTexts(window);
    for (const char* caption :
         {"保存", "設定", "保存する場所", "同じフォルダに保存する", "保存するフォルダを指定する",
          "OK", "キャンセル", "ヘルプ(H)", "バージョン情報（V）", "一般設定",
          "元のファイルは削除する", "デスクトップにショートカットを追加",
          "送るメニューにショートカットを追加", "エンコード設定", "ビットレート", "Kbps",
          "エンコードタイプ"}) {
        EXPECT_TRUE(texts.count(caption)) << caption;
    }
    // Mnemonics work as in the original: Alt+H and Alt+V.
    guint mnemonic = 0;
    ForAll(g_renderer->MainWidgetOf(*fm->BitBtn4), [&](GtkWidget* w) {
        if (GTK_IS_LABEL(w)) mnemonic = gtk_label_get_mnemonic_keyval(GTK_LABEL(w));
    });
    EXPECT_EQ(mnemonic, guint(GDK_KEY_h));

    // The combo boxes: drop-down lists of the model's items, loaded defaults selected.
    GtkComboBox* bitrate = GTK_COMBO_BOX(g_renderer->MainWidgetOf(*fm->cmb_bitrate));
    EXPECT_FALSE(gtk_combo_box_get_has_entry(bitrate));
    EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_combo_box_get_model(bitrate), nullptr), 14);
    gchar* active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(bitrate));
    EXPECT_STREQ(active, "128");
    g_free(active);
    GtkComboBox* enctype = GTK_COMBO_BOX(g_renderer->MainWidgetOf(*fm->cmb_enctype));
    active = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(enctype));
    EXPECT_STREQ(active, "ジョイントステレオ");
    g_free(active);
    // The folder list shows the model's items, in order, each indented by its depth.
    GtkTreeView* folders = GTK_TREE_VIEW(g_renderer->MainWidgetOf(*fm->dir_lst));
    struct Row {
        std::string text;
        int depth;
    };
    std::vector<Row> rows;
    gtk_tree_model_foreach(
        gtk_tree_view_get_model(folders),
        [](GtkTreeModel* model, GtkTreePath* path, GtkTreeIter* iter, gpointer out) -> gboolean {
            gchar* text = nullptr;
            gtk_tree_model_get(model, iter, 1, &text, -1);
            static_cast<std::vector<Row>*>(out)->push_back(
                {text ? text : "", gtk_tree_path_get_depth(path) - 1});
            g_free(text);
            return FALSE;
        },
        &rows);
    ASSERT_EQ(rows.size(), fm->dir_lst->Items().size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].text, fm->dir_lst->Items()[i]);
        EXPECT_EQ(rows[i].depth, fm->dir_lst->ItemLevel(static_cast<int>(i)));
    }

    // The batch controls are hidden; the radio buttons show the loaded choice.
    EXPECT_FALSE(gtk_widget_get_visible(g_renderer->WidgetOf(*fm->prog_main)));
    EXPECT_FALSE(gtk_widget_get_visible(g_renderer->WidgetOf(*fm->lbl_track)));
    EXPECT_FALSE(gtk_widget_get_visible(g_renderer->WidgetOf(*fm->lbl_filename2)));
    EXPECT_TRUE(
        gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(g_renderer->MainWidgetOf(*fm->rdo_sitei))));
    EXPECT_TRUE(gtk_widget_get_sensitive(g_renderer->WidgetOf(*fm->edt_dir)));

    ExpectLayoutGeometry(*fm);
    ExpectNoTextCut(window);
    ExpectNoOverlap(*fm);
    Screenshot(window, "settings-page1");

    // The second page, chosen by the user on the tab.
    GtkNotebook* pages = GTK_NOTEBOOK(g_renderer->MainWidgetOf(*fm->page_ctl));
    gtk_notebook_set_current_page(pages, 1);
    Pump(150);
    EXPECT_EQ(fm->page_ctl->ActivePage(), fm->TabSheet2);
    ExpectLayoutGeometry(*fm);
    ExpectNoTextCut(window);
    ExpectNoOverlap(*fm);
    Screenshot(window, "settings-page2");

    // A click on the other radio button reaches the model, which enables the folders.
    gtk_button_clicked(GTK_BUTTON(g_renderer->MainWidgetOf(*fm->rdo_onaji)));
    Pump(50);
    EXPECT_TRUE(fm->rdo_onaji->Checked());
    EXPECT_FALSE(fm->rdo_sitei->Checked());
    EXPECT_FALSE(fm->edt_dir->Enabled());
    EXPECT_FALSE(gtk_widget_get_sensitive(g_renderer->WidgetOf(*fm->edt_dir)));
    // A choice in a combo box too.
    gtk_combo_box_set_active(bitrate, 13);
    EXPECT_EQ(fm->cmb_bitrate->ItemIndex(), 13);
    EXPECT_EQ(fm->cmb_bitrate->Text(), "320");
}

TEST_F(GtkWindowsTest, BatchViewShowsTheProgressControlsOnly) {
    bool ran = false;
    RecordingFmMain::duringBatch = [&](RecordingFmMain& fm) {
        ran = true;
        fm.lbl_filename2->SetCaption("とても長い名前の録音ファイル take 01.wav");
        fm.prog_main->SetPosition(40);
        fm.lbl_track->SetCaption("12 / 345");
        Pump(200);
        GtkWidget* window = g_renderer->WindowOf(fm);
        ASSERT_TRUE(gtk_widget_get_mapped(window));
        EXPECT_EQ(fm.Width(), 271);
        EXPECT_EQ(fm.Height(), 92);
        GtkAllocation client;
        gtk_widget_get_allocation(gtk_bin_get_child(GTK_BIN(window)), &client);
        EXPECT_EQ(client.width, 263);
        EXPECT_EQ(client.height, 65);
        for (framework::TControl* c : std::initializer_list<framework::TControl*>{
                 fm.lbl_filename2, fm.prog_main, fm.lbl_track}) {
            EXPECT_TRUE(gtk_widget_get_mapped(g_renderer->WidgetOf(*c))) << c->Name();
        }
        for (framework::TControl* c :
             std::initializer_list<framework::TControl*>{fm.page_ctl, fm.BitBtn1, fm.BitBtn2}) {
            EXPECT_FALSE(gtk_widget_get_visible(g_renderer->WidgetOf(*c))) << c->Name();
        }
        EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(
                             GTK_PROGRESS_BAR(g_renderer->MainWidgetOf(*fm.prog_main))),
                         0.4);
        // The counter keeps its right edge and grows to the left.
        GtkWidget* root = gtk_bin_get_child(GTK_BIN(window));
        const GdkRectangle track = RectIn(g_renderer->WidgetOf(*fm.lbl_track), root);
        EXPECT_EQ(track.x + track.width, 197 + 46);
        ExpectLayoutGeometry(fm);
        ExpectNoTextCut(window);
        Screenshot(window, "batch");
    };
    Start({"/nonexistent/take 01.wav"});
    EXPECT_TRUE(ran);
}

struct KeyCase {
    unsigned flags;
    std::vector<guint> keys;
    int answer;
    const char* icon;
    std::vector<std::string> buttons;
};

TEST_F(GtkWindowsTest, MessageBoxesAnswerKeysWithTheirButtons) {
    using namespace framework;
    const KeyCase cases[] = {
        {MB_YESNOCANCEL | MB_ICONQUESTION,
         {GDK_KEY_Return},
         IDYES,
         "dialog-question",
         {"はい(_Y)", "いいえ(_N)", "キャンセル"}},
        {MB_YESNOCANCEL | MB_ICONQUESTION,
         {GDK_KEY_Escape},
         IDCANCEL,
         "dialog-question",
         {"はい(_Y)", "いいえ(_N)", "キャンセル"}},
        {MB_YESNOCANCEL | MB_ICONQUESTION,
         {GDK_KEY_Tab, GDK_KEY_Return},
         IDNO,
         "dialog-question",
         {"はい(_Y)", "いいえ(_N)", "キャンセル"}},
        // A Yes/No question cannot be closed without an answer: Esc does nothing.
        {MB_YESNO | MB_ICONEXCLAMATION,
         {GDK_KEY_Escape, GDK_KEY_Tab, GDK_KEY_Return},
         IDNO,
         "dialog-warning",
         {"はい(_Y)", "いいえ(_N)"}},
        {MB_OK | MB_ICONEXCLAMATION, {GDK_KEY_Escape}, IDOK, "dialog-warning", {"OK"}},
        {MB_OK | MB_ICONSTOP, {GDK_KEY_Return}, IDOK, "dialog-error", {"OK"}},
        {MB_OK | MB_ICONINFORMATION, {GDK_KEY_Return}, IDOK, "dialog-information", {"OK"}},
    };
    RecordingFmMain* fm = Start();
    bool first = true;
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.flags);
        std::string icon;
        std::vector<std::string> buttons;
        std::string title;
        g_renderer->OnDialogShown = [&](GtkWidget* dialog) {
            title = gtk_window_get_title(GTK_WINDOW(dialog));
            ForAll(dialog, [&](GtkWidget* w) {
                if (GTK_IS_IMAGE(w) &&
                    gtk_image_get_storage_type(GTK_IMAGE(w)) == GTK_IMAGE_ICON_NAME) {
                    const gchar* name = nullptr;
                    gtk_image_get_icon_name(GTK_IMAGE(w), &name, nullptr);
                    if (name) icon = name;
                }
                if (GTK_IS_BUTTON(w)) buttons.push_back(gtk_button_get_label(GTK_BUTTON(w)));
            });
            // The keys arrive one after another once the box is up.
            struct Keys {
                GtkWidget* dialog;
                std::vector<guint> keys;
                bool shot;
                std::size_t next = 0;
            };
            g_timeout_add(
                100,
                [](gpointer d) -> gboolean {
                    auto* k = static_cast<Keys*>(d);
                    if (k->shot) {
                        Screenshot(k->dialog, "messagebox");
                        k->shot = false;
                    }
                    if (k->next < k->keys.size()) {
                        const guint key = k->keys[k->next++];
                        if (key == GDK_KEY_Tab) {
                            // The focus moves on to the next button, as Tab moves it
                            // (a synthetic Tab does not reach GTK's focus handling here).
                            GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(k->dialog));
                            std::vector<GtkWidget*> buttons;
                            ForAll(k->dialog, [&](GtkWidget* w) {
                                if (GTK_IS_BUTTON(w)) buttons.push_back(w);
                            });
                            auto it = std::find(buttons.begin(), buttons.end(), focus);
                            if (it != buttons.end() && it + 1 != buttons.end()) {
                                gtk_widget_grab_focus(*(it + 1));
                            }
                        } else {
                            SendKey(k->dialog, key);
                        }
                        return G_SOURCE_CONTINUE;
                    }
                    delete k;
                    return G_SOURCE_REMOVE;
                },
                new Keys{dialog, c.keys, first});
            first = false;
        };
        const int answer = application->MessageBox(
            "C:\\Music\\take.mp3 は既に存在します。上書きしますか？", "Tovanek", c.flags);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(buttons, c.buttons);
        EXPECT_EQ(title, "Tovanek");
        Pump(100);  // the timer that sent the keys ends
    }
    // The plain notice has the title and an OK button and no icon.
    std::string icon;
    g_renderer->OnDialogShown = [&](GtkWidget* dialog) {
        ForAll(dialog, [&](GtkWidget* w) {
            if (GTK_IS_IMAGE(w) && gtk_image_get_storage_type(GTK_IMAGE(w)) == GTK_IMAGE_ICON_NAME)
                icon = "some";
        });
        gtk_dialog_response(GTK_DIALOG(dialog), IDOK);
    };
    application->ShowMessage("ショートカットの作成に失敗しました。");
    EXPECT_EQ(icon, "");
    (void)fm;
}

TEST_F(GtkWindowsTest, EnterPressesOkAndEscCancel) {
    // Enter with the focus on a radio button: OK saves every setting and ends.
    RecordingFmMain* fm = Start();
    GtkWidget* window = g_renderer->WindowOf(*fm);
    fm->rdo_sitei->SetFocus();
    Pump(50);
    Key(window, GDK_KEY_Return);
    Pump(100);
    application->ProcessMessages();
    EXPECT_TRUE(application->Terminated());
    EXPECT_NE(Ini().find("BITRATE=128"), std::string::npos) << Ini();
}

TEST_F(GtkWindowsTest, EscPressesCancelWhichSavesOnlyThePosition) {
    RecordingFmMain* fm = Start();
    GtkWidget* window = g_renderer->WindowOf(*fm);
    ASSERT_TRUE(fm->edt_dir->SetFocus());
    Pump(50);
    Key(window, GDK_KEY_Escape);
    Pump(100);
    application->ProcessMessages();
    EXPECT_TRUE(application->Terminated());
    EXPECT_NE(Ini().find("FORM_LEFT="), std::string::npos) << Ini();
    EXPECT_EQ(Ini().find("BITRATE"), std::string::npos) << Ini();
}

TEST_F(GtkWindowsTest, EnterOnAFocusedPushButtonPressesThatButton) {
    RecordingFmMain* fm = Start();
    GtkWidget* window = g_renderer->WindowOf(*fm);
    ASSERT_TRUE(fm->BitBtn2->SetFocus());
    Pump(50);
    Key(window, GDK_KEY_Return);
    Pump(100);
    application->ProcessMessages();
    EXPECT_TRUE(application->Terminated());
    EXPECT_EQ(Ini().find("BITRATE"), std::string::npos) << "Cancel, not OK: " << Ini();
}

TEST_F(GtkWindowsTest, AboutBoxReadsTitleAndVersionAtEachShowingAndIsCentred) {
    RecordingFmMain* fm = Start();
    auto* dlg = application->CreateForm<app::TFmDlg>();
    GtkWidget* window = g_renderer->WindowOf(*dlg);
    struct Seen {
        std::string product, version;
        int left = 0, top = 0;
        bool mapped = false;
    };
    std::vector<Seen> seen;
    auto showOnce = [&](const char* shot) {
        std::string name = shot ? shot : "";
        // Inside the modal loop: look, then press Enter (the default OK button).
        g_timeout_add(
            300,
            [](gpointer d) -> gboolean {
                auto* f = static_cast<std::function<void()>*>(d);
                (*f)();
                delete f;
                return G_SOURCE_REMOVE;
            },
            new std::function<void()>([&, name] {
                Seen s;
                s.mapped = gtk_widget_get_mapped(window);
                s.product = dlg->ProductName->Caption();
                s.version = dlg->Version->Caption();
                gtk_window_get_position(GTK_WINDOW(window), &s.left, &s.top);
                seen.push_back(s);
                EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(window)));
                ExpectNoTextCut(window);
                ExpectNoOverlap(*dlg);
                if (!name.empty()) Screenshot(window, name);
                Key(window, GDK_KEY_Return);
            }));
        fm->btn_verClick(fm->btn_ver);
    };

    showOnce(nullptr);
    { std::ofstream(iniPath, std::ios::binary) << "[MAIN]\nTITLE=Tovanek\nVERSION=1.0\n"; }
    dlg->SetBounds(5, 5, dlg->Width(), dlg->Height());  // moved away in between
    showOnce("about");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].mapped);
    EXPECT_EQ(seen[0].product, "");
    EXPECT_EQ(seen[0].version, "Version ");
    EXPECT_EQ(seen[1].product, "Tovanek");
    EXPECT_EQ(seen[1].version, "Version 1.0");
    const int left = 1280 / 2 - (569 + 8) / 2, top = 1024 / 2 - (223 + 27) / 2;
    for (const Seen& s : seen) {
        EXPECT_EQ(s.left, left);
        EXPECT_EQ(s.top, top);
    }
    EXPECT_FALSE(gtk_widget_get_visible(window));
    EXPECT_FALSE(application->Terminated());
    // The credits name what is really there.
    EXPECT_NE(dlg->Label1->Caption().find("libmpg123"), std::string::npos);
    EXPECT_NE(dlg->Label2->Caption().find("LAME"), std::string::npos);
    EXPECT_EQ(dlg->Label3->Caption(), app::kDisclaimer);
}

}  // namespace
