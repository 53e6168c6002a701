#pragma once
// TControl: one control of a form as a plain model. It holds every property a renderer
// draws (the fields that a control type does not use keep their defaults), reports each
// change to the form's listeners, and takes the user's actions back through the User*
// methods. Controls are created and owned by their form (TForm::CreateControl).
//
// Geometry is relative to the parent's client area; a null parent means the form.
// Main thread only.

#include <string>
#include <vector>

#include "framework/Object.h"
#include "framework/Types.h"

namespace framework {

class TForm;

class TControl : public TObject {
  public:
    TControl(TForm& form, ControlType type, std::string name);
    ~TControl() override;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    ControlType Type() const { return type_; }
    const std::string& Name() const { return name_; }
    TForm& Form() const { return form_; }

    TControl* Parent() const { return parent_; }
    void SetParent(TControl* parent);

    // Geometry.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }

    // Caption and Text are one string, as in the VCL. An edit raises OnChange when its
    // text changes.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const std::string& Text() const { return caption_; }
    void SetText(const std::string& text) { SetCaption(text); }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Visible, and every parent visible (the form's own visibility not included).
    bool ShowingInForm() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Enabled, and every parent enabled.
    bool EnabledInForm() const;

    int Tag() const { return tag_; }
    void SetTag(int tag);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);

    // Own font when ParentFont is false; otherwise the parent's (or the form's).
    bool ParentFont() const { return parentFont_; }
    void SetFont(const TFont& font);  // also clears ParentFont
    void SetParentFont(bool parentFont);
    const TFont& EffectiveFont() const;
    const TFont& OwnFont() const { return font_; }
    TColor Color() const { return color_; }
    bool ParentColor() const { return parentColor_; }
    void SetColor(TColor color);  // also clears ParentColor

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);

    // Check boxes and radio buttons. Setting a new state raises OnClick, as a click does;
    // a radio button that becomes checked unchecks its siblings (same parent).
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool checked);

    // Combo boxes, the drive combo and the directory list. -1 is no selection.
    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items);
    int ItemIndex() const { return itemIndex_; }
    virtual void SetItemIndex(int index);  // out of range gives -1; raises no event
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);

    // Progress bars. Position is kept within Min..Max.
    int Position() const { return position_; }
    void SetPosition(int position);
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max);

    // Buttons. Kind picks the glyph of a bitmap button; Default is pressed by Enter,
    // Cancel by Esc; a click sets the form's ModalResult to the button's.
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind kind);
    bool IsDefault() const { return default_; }
    void SetDefault(bool isDefault);
    bool IsCancel() const { return cancel_; }
    void SetCancel(bool isCancel);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);

    // Page controls: the shown page (a TabSheet child), or null.
    TControl* ActivePage() const { return activePage_; }
    void SetActivePage(TControl* page);

    // Panels and images.
    TBevelCut BevelInner() const { return bevelInner_; }
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevels(TBevelCut inner, TBevelCut outer);
    // The name of the picture an image shows ("MAINICON" is the program's icon).
    const std::string& Picture() const { return picture_; }
    void SetPicture(const std::string& picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);

    // Events.
    TNotifyEvent OnClick;
    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Runs the click: buttons pass their ModalResult to the form, then OnClick fires.
    virtual void Click();

    // Focus through the form (TForm::FocusControl). False when the control cannot take
    // it (hidden or disabled, itself or a parent).
    bool SetFocus();
    bool Focused() const;
    bool CanFocus() const;

    // What a renderer calls for the user's input. Each runs the same path as the user's
    // action does in the VCL; an exception that escapes a handler is shown in the
    // standard error box and goes no further. Disabled or hidden controls ignore them.
    virtual void UserClick();                                // buttons, check boxes, radios
    virtual void UserSetChecked(bool checked);               // check boxes, radio buttons
    virtual void UserSelectItem(int index);                  // combos, drive combo, folder list
    virtual void UserEditText(const std::string& text);      // edits
    virtual void UserChooseFolder(const std::string& path);  // folder list
    virtual void UserSelectPage(TControl* page);             // page controls

  protected:
    void Changed(Property property);
    void Fire(const TNotifyEvent& event) {
        if (event) event(this);
    }
    // Runs `action` as a user action: exceptions go to the standard error box.
    void AsUserAction(const std::function<void()>& action);
    // Changes the check state with no event and no sibling update.
    void StoreChecked(bool checked);

  private:
    TForm& form_;
    ControlType type_;
    std::string name_;
    TControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string caption_;
    bool visible_ = true;
    bool enabled_ = true;
    int tag_ = 0;
    int tabOrder_ = -1;
    bool tabStop_ = false;
    bool parentFont_ = true;
    TFont font_;
    bool parentColor_ = true;
    TColor color_ = clBtnFace;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    bool checked_ = false;
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int itemHeight_ = 0;
    TComboBoxStyle style_ = csDropDown;
    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    TBitBtnKind kind_ = bkCustom;
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
    TControl* activePage_ = nullptr;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    std::string picture_;
    bool stretch_ = false;
};

}  // namespace framework
