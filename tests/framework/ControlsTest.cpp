// Controls as a model: radio groups, combo boxes, user actions and their guards.
#include "framework/Button.h"
#include "framework/CheckBox.h"
#include "framework/ComboBox.h"
#include "framework/Edit.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Layout.h"
#include "framework/ProgressBar.h"
#include "framework/RadioButton.h"
#include "tests/framework/TestApp.h"

using namespace framework;

namespace {

class ControlsTest : public testing_support::HeadlessAppTest {
  protected:
    struct F : TForm {
        F() : TForm("F") {}
    };
    ControlsTest() : form(*app.CreateForm<F>()) {}
    TForm& form;
};

TEST_F(ControlsTest, CheckingARadioUnchecksOnlyItsSiblingsAndClicksOnce) {
    auto* group1 = form.CreateControl<TGroupBox>("g1");
    auto* group2 = form.CreateControl<TGroupBox>("g2");
    auto* a = form.CreateControl<TRadioButton>("a", group1);
    auto* b = form.CreateControl<TRadioButton>("b", group1);
    auto* other = form.CreateControl<TRadioButton>("other", group2);
    auto* box = form.CreateControl<TCheckBox>("box", group1);
    int clicksA = 0, clicksB = 0;
    a->OnClick = [&](TObject*) { ++clicksA; };
    b->OnClick = [&](TObject*) { ++clicksB; };
    a->SetChecked(true);
    other->SetChecked(true);
    box->SetChecked(true);

    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(other->Checked());  // another parent
    EXPECT_TRUE(box->Checked());    // not a radio button
    EXPECT_EQ(clicksA, 1);          // only its own checking clicked it
    EXPECT_EQ(clicksB, 1);

    b->SetChecked(true);  // no change, no click
    EXPECT_EQ(clicksB, 1);
    a->UserClick();
    EXPECT_TRUE(a->Checked());
    EXPECT_FALSE(b->Checked());
}

TEST_F(ControlsTest, DropDownListTakesOnlyListedItems) {
    auto* combo = form.CreateControl<TComboBox>("c");
    combo->SetStyle(csDropDownList);
    combo->SetItems({"32", "128"});
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };

    combo->SetItemIndex(1);  // by the program: no event
    EXPECT_EQ(combo->Text(), "128");
    EXPECT_EQ(changes, 0);
    combo->SetItemIndex(7);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");

    combo->UserEditText("100");
    EXPECT_EQ(combo->Text(), "");
    combo->UserSelectItem(0);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(changes, 1);
    combo->UserSelectItem(5);  // not an item
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(ControlsTest, UserActionsOnDisabledOrHiddenControlsAreIgnored) {
    auto* group = form.CreateControl<TGroupBox>("g");
    auto* button = form.CreateControl<TButton>("b", group);
    auto* edit = form.CreateControl<TEdit>("e", group);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    group->SetEnabled(false);
    button->UserClick();
    edit->UserEditText("typed");
    EXPECT_FALSE(button->SetFocus());
    group->SetEnabled(true);
    group->SetVisible(false);
    button->UserClick();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(edit->Text(), "");
    group->SetVisible(true);
    button->UserClick();
    edit->UserEditText("typed");
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(edit->Text(), "typed");
}

TEST_F(ControlsTest, ExceptionFromAHandlerGoesToTheErrorBox) {
    auto* button = form.CreateControl<TButton>("b");
    button->OnClick = [](TObject*) { throw Exception("boom"); };
    button->UserClick();
    ASSERT_EQ(renderer.Calls().size(), 1u);
    EXPECT_EQ(renderer.Calls()[0].text, "boom.");
    EXPECT_EQ(renderer.Calls()[0].caption, "Tovanek");
}

TEST_F(ControlsTest, FocusMovesRaiseExitOnTheControlLeft) {
    auto* first = form.CreateControl<TEdit>("first");
    auto* second = form.CreateControl<TEdit>("second");
    int exits = 0;
    first->OnExit = [&](TObject*) { ++exits; };
    form.UserFocus(first);
    form.UserFocus(second);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(form.ActiveControl(), second);
    EXPECT_EQ(renderer.Log().back(), "focus F.second");
}

TEST_F(ControlsTest, EnterAndEscapePressTheDefaultAndCancelButtons) {
    auto* ok = form.CreateControl<TButton>("ok");
    auto* cancel = form.CreateControl<TButton>("cancel");
    ok->SetDefault(true);
    cancel->SetCancel(true);
    std::string pressed;
    ok->OnClick = [&](TObject*) { pressed += "ok "; };
    cancel->OnClick = [&](TObject*) { pressed += "cancel "; };
    form.UserPressEnter();
    form.UserPressEscape();
    ok->SetVisible(false);  // a hidden default button is not pressed
    form.UserPressEnter();
    EXPECT_EQ(pressed, "ok cancel ");
}

TEST_F(ControlsTest, LayoutBuildsParentsGeometryAndOuterSize) {
    struct G : TForm {
        G() : TForm("G") {}
    };
    G* g = app.CreateForm<G>();
    FormSpec desc;
    desc.name = "G";
    desc.caption = "Tovanek";
    desc.clientWidth = 329;
    desc.clientHeight = 312;
    desc.controls = {
        {.name = "box",
         .type = ControlType::GroupBox,
         .left = 8,
         .top = 3,
         .width = 289,
         .height = 230},
        {.name = "bar",
         .type = ControlType::ProgressBar,
         .parent = "box",
         .left = 18,
         .top = 28,
         .width = 225,
         .height = 16,
         .tabOrder = 3,
         .visible = false},
    };
    BuildLayout(*g, desc);
    EXPECT_EQ(g->Width(), 337);
    EXPECT_EQ(g->Height(), 339);
    EXPECT_EQ(g->ClientWidth(), 329);
    auto* bar = g->Find<TProgressBar>("bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Parent(), g->FindControl("box"));
    EXPECT_EQ(bar->Left(), 18);
    EXPECT_EQ(bar->TabOrder(), 3);
    EXPECT_FALSE(bar->Visible());
    bar->SetPosition(250);  // kept in range
    EXPECT_EQ(bar->Position(), 100);

    FormSpec broken;
    broken.controls = {{.name = "x", .type = ControlType::Label, .parent = "missing"}};
    EXPECT_THROW(BuildLayout(*g, broken), std::logic_error);
}

}  // namespace
