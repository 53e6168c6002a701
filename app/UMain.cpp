#include "app/UMain.h"

#include "app/LongPath.h"
#include "app/MainLayout.h"
#include "framework/Application.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Volumes.h"

namespace app {

std::unique_ptr<TStringList> WavFileList = std::make_unique<TStringList>();
std::unique_ptr<TStringList> Mp3FileList = std::make_unique<TStringList>();
std::string ShortcutFileName;
std::int32_t FormShownFlag = 0;
std::int32_t SleepSetting = 0;
std::int32_t WaitSetting = 0;
std::int32_t BitRateSetting = 0;
std::int32_t EncodeTypeSetting = 0;

void ResetUnitState() {
    WavFileList = std::make_unique<TStringList>();
    Mp3FileList = std::make_unique<TStringList>();
    ShortcutFileName.clear();
    FormShownFlag = 0;
    SleepSetting = WaitSetting = BitRateSetting = EncodeTypeSetting = 0;
}

TFmMain::TFmMain(Options options) : TForm("FmMain") {
    framework::BuildLayout(*this, FmMainLayout());
    BindControls();
    BindEvents();
    VolumeSizeQuery = [](const std::string& root) { return platform::VolumeTotalSize(root); };
    GogoTea = std::make_unique<encoder::TGogoTea>(this, options.designTimeEncoder);
    ApplyGogoTeaDesign(*GogoTea, FmMainGogoTeaDesign());
    GogoTea->OnProgress = [this](encoder::TGogoTea* sender, std::int32_t now, std::int32_t all) {
        GogoTeaProgress(sender, now, all);
    };
}

TFmMain::~TFmMain() = default;

void TFmMain::BindControls() {
    lbl_filename2 = Find<framework::TLabel>("lbl_filename2");
    prog_main = Find<framework::TProgressBar>("prog_main");
    lbl_track = Find<framework::TLabel>("lbl_track");
    page_ctl = Find<framework::TPageControl>("page_ctl");
    BitBtn1 = Find<framework::TBitBtn>("BitBtn1");
    BitBtn2 = Find<framework::TBitBtn>("BitBtn2");
    TabSheet1 = Find<framework::TTabSheet>("TabSheet1");
    GroupBox1 = Find<framework::TGroupBox>("GroupBox1");
    rdo_onaji = Find<framework::TRadioButton>("rdo_onaji");
    rdo_sitei = Find<framework::TRadioButton>("rdo_sitei");
    drive_cmb = Find<framework::TDriveComboBox>("drive_cmb");
    dir_lst = Find<framework::TDirectoryListBox>("dir_lst");
    edt_dir = Find<framework::TEdit>("edt_dir");
    TabSheet2 = Find<framework::TTabSheet>("TabSheet2");
    BitBtn4 = Find<framework::TBitBtn>("BitBtn4");
    btn_ver = Find<framework::TBitBtn>("btn_ver");
    GroupBox3 = Find<framework::TGroupBox>("GroupBox3");
    chk_moto_del = Find<framework::TCheckBox>("chk_moto_del");
    btn_sendto = Find<framework::TBitBtn>("btn_sendto");
    BitBtn3 = Find<framework::TBitBtn>("BitBtn3");
    GroupBox2 = Find<framework::TGroupBox>("GroupBox2");
    Label1 = Find<framework::TLabel>("Label1");
    cmb_bitrate = Find<framework::TComboBox>("cmb_bitrate");
    Label3 = Find<framework::TLabel>("Label3");
    Label2 = Find<framework::TLabel>("Label2");
    cmb_enctype = Find<framework::TComboBox>("cmb_enctype");
}

void TFmMain::BindEvents() {
    using framework::TObject;
    OnShow = [this](TObject* s) { FormShow(s); };
    OnClose = [this](TObject* s, framework::TCloseAction& a) { FormClose(s, a); };
    BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
    BitBtn2->OnClick = [this](TObject* s) { BitBtn2Click(s); };
    rdo_onaji->OnClick = [this](TObject* s) { rdo_onajiClick(s); };
    rdo_sitei->OnClick = [this](TObject* s) { rdo_onajiClick(s); };
    drive_cmb->OnChange = [this](TObject* s) { dir_lstChange(s); };
    drive_cmb->OnExit = [this](TObject* s) { drive_cmbExit(s); };
    dir_lst->OnChange = [this](TObject* s) { dir_lstChange(s); };
    BitBtn4->OnClick = [this](TObject* s) { BitBtn4Click(s); };
    btn_ver->OnClick = [this](TObject* s) { btn_verClick(s); };
    btn_sendto->OnClick = [this](TObject* s) { btn_sendtoClick(s); };
    BitBtn3->OnClick = [this](TObject* s) { btn_sendtoClick(s); };
}

void TFmMain::FormShow(framework::TObject*) {
    framework::TApplication& app = framework::Application();
    TStringList arguments;
    LoadSettings();
    rdo_onajiClick(this);
    if (!WavFileList) WavFileList = std::make_unique<TStringList>();
    if (!Mp3FileList) Mp3FileList = std::make_unique<TStringList>();
    WavFileList->clear();
    Mp3FileList->clear();
    for (int i = 1; i <= app.ParamCount(); ++i) {
        // A relative argument is taken against the current folder first.
        arguments.push_back(ExpandLongPath(platform::MakeAbsolute(app.ParamStr(i))));
    }
    for (const std::string& entry : arguments) {
        std::string ext = platform::ExtensionPart(platform::LowerAnsi(entry));
        if (ext == ".mp3") {
            Mp3FileList->push_back(entry);
        } else if (ext == ".wav") {
            WavFileList->push_back(entry);
        }
    }
    if (app.ParamCount() > 0) {
        page_ctl->SetVisible(false);
        BitBtn1->SetVisible(false);
        BitBtn2->SetVisible(false);
        lbl_filename2->SetVisible(true);
        prog_main->SetVisible(true);
        lbl_track->SetVisible(true);
        SetHeight(92);
        SetWidth(271);
        app.ProcessMessages();
    } else {
        page_ctl->SetVisible(true);
        BitBtn1->SetVisible(true);
        BitBtn2->SetVisible(true);
        lbl_filename2->SetVisible(false);
        prog_main->SetVisible(false);
        lbl_track->SetVisible(false);
        SetHeight(339);
        SetWidth(337);
    }
}

void TFmMain::CMShowingChanged(framework::TMessage& Message) {
    TForm::CMShowingChanged(Message);
    if (!Visible()) return;
    Repaint();
    FormShownFlag = 1;
    if (framework::Application().ParamCount() > 0) RunBatches();
}

void TFmMain::RunBatches() {
    // While a batch walks the lists, a close only marks them for release; the release
    // happens here, once no batch reads them any more (also when a batch raises).
    struct BatchScope {
        TFmMain& form;
        explicit BatchScope(TFmMain& f) : form(f) { ++form.batchDepth_; }
        ~BatchScope() {
            if (--form.batchDepth_ == 0 && form.releasePending_) form.ReleaseFileLists();
        }
    } scope(*this);
    if (WavFileList && !WavFileList->empty()) EncodeWavList();
    if (!stopRequested_ && Mp3FileList && !Mp3FileList->empty()) DecodeMp3List();
    framework::Application().Terminate();
}

void TFmMain::ReleaseFileLists() {
    if (batchDepth_ > 0) {
        releasePending_ = true;
        return;
    }
    releasePending_ = false;
    WavFileList.reset();
    Mp3FileList.reset();
}

}  // namespace app
