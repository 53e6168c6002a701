#pragma once
// Plain types, constants and enumerations shared by the framework's model, its renderers
// and the program: message box flags and answers, modal results, the showing-changed
// message, colours, fonts and the property names that change notifications carry.
// Any thread (constants only).

#include <cstdint>
#include <string>

#include "platform/Messages.h"

namespace framework {

// Message box flags (Win32 values). The low nibble picks the buttons, the next the icon.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x02;
constexpr unsigned MB_YESNOCANCEL = 0x03;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_RETRYCANCEL = 0x05;
constexpr unsigned MB_TYPEMASK = 0x0F;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONASTERISK = 0x40;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;

// Message box answers. 0 means the box could not be shown.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Modal results of forms and buttons.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// A form's notification that its showing state has changed.
constexpr std::uint32_t CM_SHOWINGCHANGED = 0xB019;

// A message sent straight to a form (Perform), with room for its result.
struct TMessage {
    std::uint32_t Msg = 0;
    platform::WParam WParam = 0;
    platform::LParam LParam = 0;
    platform::LResult Result = 0;
};

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TTextCase { tcLowerCase, tcUpperCase };

// Border icons as bits of a set.
using TBorderIcons = unsigned;
constexpr TBorderIcons biSystemMenu = 0x1;
constexpr TBorderIcons biMinimize = 0x2;
constexpr TBorderIcons biMaximize = 0x4;
constexpr TBorderIcons biHelp = 0x8;

// Colours: 0x00BBGGRR, or 0x80000000 | a system colour index.
using TColor = std::int32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGreen = 0x008000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);
constexpr TColor clWindow = static_cast<TColor>(0x80000005u);

constexpr int DEFAULT_CHARSET = 1;
constexpr int SHIFTJIS_CHARSET = 128;

// Font styles as bits.
constexpr unsigned fsBold = 0x1;
constexpr unsigned fsItalic = 0x2;
constexpr unsigned fsUnderline = 0x4;
constexpr unsigned fsStrikeOut = 0x8;

// A font. Height < 0 is the character height in pixels (the VCL's convention).
struct TFont {
    std::string Name = "ＭＳ Ｐゴシック";
    int Height = -12;
    int Charset = SHIFTJIS_CHARSET;
    TColor Color = clWindowText;
    unsigned Style = 0;
    friend bool operator==(const TFont&, const TFont&) = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// What kind of control a TControl is; renderers switch on it.
enum class ControlType {
    Label,
    Button,
    BitBtn,
    Edit,
    CheckBox,
    RadioButton,
    ComboBox,
    ProgressBar,
    GroupBox,
    PageControl,
    TabSheet,
    Panel,
    Image,
    DriveComboBox,
    DirectoryListBox,
};

const char* ControlTypeName(ControlType type);

// The property a change notification is about. Form-level changes use the same names
// (Caption, Visible, Bounds, Font, Color, Focus, BorderIcons, BorderStyle, ModalResult).
enum class Property {
    Caption,  // caption or text
    Visible,
    Enabled,
    Checked,
    Items,  // the item list (also the folder tree of a directory list)
    ItemIndex,
    Position,  // progress position
    Range,     // progress Min/Max
    Bounds,    // left, top, width, height (outer size for a form)
    Font,
    Color,
    TabOrder,
    TabStop,
    Tag,
    Alignment,
    Kind,     // bitmap button kind (glyph)
    Default,  // default or cancel button flag, modal result of a button
    ActivePage,
    Focus,  // a form's active control
    Parent,
    Style,  // word wrap, auto size, combo style, bevels, picture, item height...
    BorderIcons,
    BorderStyle,
    ModalResult,
};

const char* PropertyName(Property property);

}  // namespace framework
