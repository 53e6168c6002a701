#pragma once
// A window layout as data: the form's own properties and every control with its type,
// parent, geometry, caption and other properties, in creation order. BuildLayout makes
// the controls on a form from it; event handlers are bound by the form's code.
// Main thread only.

#include <optional>
#include <string>
#include <vector>

#include "framework/Types.h"

namespace framework {

class TForm;

struct ControlSpec {
    std::string name{};
    ControlType type = ControlType::Label;
    std::string parent{};  // "" for the form itself
    int left = 0, top = 0, width = 0, height = 0;
    std::string caption{};
    int tag = 0;
    int tabOrder = -1;  // -1: none given
    bool visible = true;
    bool enabled = true;
    std::optional<bool> tabStop{};  // nullopt: the control type's default
    bool checked = false;
    std::vector<std::string> items{};
    int itemHeight = 0;
    TComboBoxStyle style = csDropDown;
    TAlignment alignment = taLeftJustify;
    bool autoSize = false;
    bool wordWrap = false;
    TBitBtnKind kind = bkCustom;  // bitmap buttons: the glyph and its default flags
    bool isDefault = false;
    bool isCancel = false;
    TModalResult modalResult = mrNone;
    int min = 0, max = 100;
    std::optional<TFont> font{};    // an own font (ParentFont false)
    std::optional<TColor> color{};  // an own colour (ParentColor false)
    TBevelCut bevelInner = bvNone, bevelOuter = bvRaised;
    std::string picture{};
    bool stretch = false;
    std::string dirList{};  // drive combo: the folder list it feeds
    TTextCase textCase = tcLowerCase;
    bool activePage = false;  // tab sheet: the page its page control shows first
};

struct FormSpec {
    std::string name{};
    std::string caption{};
    int left = 0, top = 0;
    int clientWidth = 0, clientHeight = 0;
    TFormBorderStyle borderStyle = bsSizeable;
    TBorderIcons borderIcons = biSystemMenu | biMinimize | biMaximize;
    TColor color = clBtnFace;
    TFont font;
    int pixelsPerInch = 96;
    bool visible = false;  // shown at the end of its creation
    std::vector<ControlSpec> controls;
};

// Applies the form's properties and creates every control in order. A parent must come
// before its children; an unknown parent or dirList name throws std::logic_error.
void BuildLayout(TForm& form, const FormSpec& desc);

}  // namespace framework
