#include "app/UDialog.h"

#include "app/SettingsFile.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Shell.h"

// The decoder library's version as the build found it (pkg-config libmpg123).
#ifndef TOVANEK_MPG123_VERSION
#define TOVANEK_MPG123_VERSION ""
#endif

namespace app {

using framework::ControlSpec;
using framework::ControlType;
using framework::TFont;

namespace {

#if defined(_WIN32)
constexpr const char* kDecoderFile = "vbmp3.dll";
constexpr const char* kEncoderFile = "gogo.dll";
#else
constexpr const char* kDecoderFile = "libvbmp3.so";
constexpr const char* kEncoderFile = "libgogo.so";
#endif

TFont DialogFont(int height, framework::TColor color = framework::clWindowText) {
    return TFont{"ＭＳ Ｐゴシック", height, framework::SHIFTJIS_CHARSET, color, 0};
}

framework::FormSpec MakeLayout() {
    framework::FormSpec f;
    f.name = "FmDlg";
    f.caption = "バージョン情報";
    f.left = 195;
    f.top = 522;
    f.clientWidth = 569;
    f.clientHeight = 223;
    f.borderStyle = framework::bsSingle;
    f.borderIcons = framework::biSystemMenu;
    f.color = framework::clBtnFace;
    f.font = DialogFont(-12);
    f.pixelsPerInch = 96;
    f.visible = false;
    f.controls = {
        {.name = "Panel1",
         .type = ControlType::Panel,
         .left = 8,
         .top = 8,
         .width = 553,
         .height = 177,
         .tabOrder = 0,
         .bevelInner = framework::bvRaised,
         .bevelOuter = framework::bvLowered},
        {.name = "ProgramIcon",
         .type = ControlType::Image,
         .parent = "Panel1",
         .left = 8,
         .top = 8,
         .width = 32,
         .height = 32,
         .autoSize = true,
         .picture = "MAINICON",
         .stretch = true},
        {.name = "ProductName",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 48,
         .top = 16,
         .width = 97,
         .height = 16,
         .caption = "Product Name",
         .autoSize = true,
         .font = DialogFont(-16)},
        {.name = "Version",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 240,
         .top = 15,
         .width = 50,
         .height = 16,
         .caption = "Version",
         .autoSize = true,
         .font = DialogFont(-16)},
        // The author credit: its two parts on two lines, right-aligned on the credit's
        // right edge, so that it stays inside the panel.
        {.name = "Label8",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 440,
         .top = 32,
         .width = 97,
         .height = 16,
         .caption = "Created by\nTovanek 開発者",
         .alignment = framework::taRightJustify,
         .autoSize = true,
         .font = DialogFont(-16)},
        {.name = "Label6",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 8,
         .top = 77,
         .width = 47,
         .height = 12,
         .caption = kDecoderFile,
         .autoSize = true,
         .font = DialogFont(-12, framework::clGreen)},
        {.name = "Label1",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 88,
         .top = 77,
         .width = 323,
         .height = 12,
         .autoSize = true,
         .wordWrap = true},
        {.name = "Label7",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 8,
         .top = 92,
         .width = 38,
         .height = 12,
         .caption = kEncoderFile,
         .autoSize = true,
         .font = DialogFont(-12, framework::clGreen)},
        {.name = "Label2",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 88,
         .top = 92,
         .width = 404,
         .height = 24,
         .autoSize = true,
         .wordWrap = true},
        {.name = "Label3",
         .type = ControlType::Label,
         .parent = "Panel1",
         .left = 70,
         .top = 135,
         .width = 457,
         .height = 33,
         .caption = kDisclaimer,
         .autoSize = false,
         .wordWrap = true,
         .font = DialogFont(-12, framework::clRed)},
        {.name = "OKButton",
         .type = ControlType::Button,
         .left = 247,
         .top = 193,
         .width = 75,
         .height = 25,
         .caption = "OK",
         .tabOrder = 1,
         .isDefault = true,
         .modalResult = framework::mrOk},
    };
    return f;
}

}  // namespace

const framework::FormSpec& FmDlgLayout() {
    static const framework::FormSpec layout = MakeLayout();
    return layout;
}

std::string DecoderCreditText() {
    std::string text = "MP3 を扱うためのライブラリ (libmpg123";
    const std::string version = TOVANEK_MPG123_VERSION;
    if (!version.empty()) text += " " + version;
    return text + " 使用)";
}

std::string EncoderCreditText(const std::string& encoderVersion) {
    // Two lines: what it is, with thanks to the LAME developers; then the version the
    // library reports (which names the LAME inside it) and the rights notice.
    return "LAME を元にした MP3 エンコーダ。LAME の開発者の皆様に感謝します。\n" +
           (encoderVersion.empty() ? std::string("libgogo") : encoderVersion) +
           "  Copyright (C) Tovanek developers";
}

TFmDlg::TFmDlg() : TForm("FmDlg") {
    framework::BuildLayout(*this, FmDlgLayout());
    Panel1 = Find<framework::TPanel>("Panel1");
    ProgramIcon = Find<framework::TImage>("ProgramIcon");
    ProductName = Find<framework::TLabel>("ProductName");
    Version = Find<framework::TLabel>("Version");
    Label8 = Find<framework::TLabel>("Label8");
    Label6 = Find<framework::TLabel>("Label6");
    Label1 = Find<framework::TLabel>("Label1");
    Label7 = Find<framework::TLabel>("Label7");
    Label2 = Find<framework::TLabel>("Label2");
    Label3 = Find<framework::TLabel>("Label3");
    OKButton = Find<framework::TButton>("OKButton");

    Label1->SetCaption(DecoderCreditText());
    std::string encoderVersion;
    if (framework::TApplication* app = framework::TApplication::Instance()) {
        if (auto* main = dynamic_cast<TFmMain*>(app->MainForm()); main && main->GogoTea) {
            encoderVersion = main->GogoTea->VersionString();
        }
    }
    Label2->SetCaption(EncoderCreditText(encoderVersion));
    OnShow = [this](framework::TObject* sender) { FormShow(sender); };
}

namespace {

// A key of the about box. An installed program keeps its settings in the per-user
// folder, which starts without TITLE and VERSION; those then come from the main.ini
// installed beside the executable, which holds them.
std::string AboutValue(const char* key, const std::string& path) {
    static const std::string kMissing = "\x01";
    std::string value = platform::GetPrivateProfileString(kSection, key, kMissing, path);
    if (value != kMissing) return value;
    const auto config = platform::SpecialFolderPath(platform::SpecialFolder::UserConfig);
    if (config && path == platform::JoinPath(*config, "main.ini")) {
        return platform::GetPrivateProfileString(
            kSection, key, "", platform::JoinPath(platform::ExecutableFolder(), "main.ini"));
    }
    return "";
}

}  // namespace

void TFmDlg::FormShow(framework::TObject*) {
    const std::string path = SettingsPath();
    ProductName->SetCaption(AboutValue("TITLE", path));
    Version->SetCaption("Version " + AboutValue("VERSION", path));
    const framework::TSize screen = framework::Application().ScreenSize();
    SetBounds(screen.Width / 2 - Width() / 2, screen.Height / 2 - Height() / 2, Width(), Height());
}

}  // namespace app
