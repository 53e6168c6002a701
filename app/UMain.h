#pragma once
// The main window TFmMain (unit UMain) and the unit's process-wide state.
//
// One window serves two views: the settings view (the two pages, OK and Cancel) without
// command-line arguments, and the batch view (file name, progress bar, counter) with
// them. The window is designed visible, so it is shown while TApplication::CreateForm
// makes it: FormShow loads the settings, sorts the arguments into WavFileList and
// Mp3FileList and picks the view; CMShowingChanged then runs both batches (with
// arguments) and requests the end of the program.
//
// Closing the window while a batch runs saves the position and asks the batch to stop
// after the current file (StopRequested); the file lists are released only once no batch
// walks them (at the end of RunBatches).
//
// Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encoder/GogoTea.h"
#include "framework/BitBtn.h"
#include "framework/CheckBox.h"
#include "framework/ComboBox.h"
#include "framework/DirectoryListBox.h"
#include "framework/DriveComboBox.h"
#include "framework/Edit.h"
#include "framework/Form.h"
#include "framework/GroupBox.h"
#include "framework/Label.h"
#include "framework/PageControl.h"
#include "framework/ProgressBar.h"
#include "framework/RadioButton.h"
#include "framework/TabSheet.h"

namespace app {

using TStringList = std::vector<std::string>;

// Process-wide state of the unit, created when the program starts.
extern std::unique_ptr<TStringList> WavFileList;  // the WAV files to encode (full paths)
extern std::unique_ptr<TStringList> Mp3FileList;  // the MP3 files to decode (full paths)
extern std::string ShortcutFileName;              // key SHORTCUT
extern std::int32_t FormShownFlag;                // 1 once the main window is visible
extern std::int32_t SleepSetting;                 // key SLEEP: ms before each encode
extern std::int32_t WaitSetting;                  // key WAIT: ms after each decode
extern std::int32_t BitRateSetting;               // key BITRATE: kbit/s
extern std::int32_t EncodeTypeSetting;            // key ENCODETYPE: TEncodeType ordinal

// Puts the unit's state back to how the program starts (tests).
void ResetUnitState();

// The message of a failed media check.
inline constexpr const char* kMsgNoMedia = "そのドライブにはメディアが挿入されていません";
// The default shortcut name (a Desktop Entry on Linux).
inline constexpr const char* kDefaultShortcutName = "Tovanek.desktop";
// The settings section.
inline constexpr const char* kSection = "MAIN";

class TFmMain : public framework::TForm {
  public:
    struct Options {
        // Construct the encoder component in design mode (binds no library): for tests
        // that do not encode.
        bool designTimeEncoder = false;
    };

    TFmMain() : TFmMain(Options{}) {}
    explicit TFmMain(Options options);
    ~TFmMain() override;

    // Controls (owned by the form).
    framework::TLabel* lbl_filename2 = nullptr;
    framework::TProgressBar* prog_main = nullptr;
    framework::TLabel* lbl_track = nullptr;
    framework::TPageControl* page_ctl = nullptr;
    framework::TBitBtn* BitBtn1 = nullptr;
    framework::TBitBtn* BitBtn2 = nullptr;
    framework::TTabSheet* TabSheet1 = nullptr;
    framework::TGroupBox* GroupBox1 = nullptr;
    framework::TRadioButton* rdo_onaji = nullptr;
    framework::TRadioButton* rdo_sitei = nullptr;
    framework::TDriveComboBox* drive_cmb = nullptr;
    framework::TDirectoryListBox* dir_lst = nullptr;
    framework::TEdit* edt_dir = nullptr;
    framework::TTabSheet* TabSheet2 = nullptr;
    framework::TBitBtn* BitBtn4 = nullptr;
    framework::TBitBtn* btn_ver = nullptr;
    framework::TGroupBox* GroupBox3 = nullptr;
    framework::TCheckBox* chk_moto_del = nullptr;
    framework::TBitBtn* btn_sendto = nullptr;
    framework::TBitBtn* BitBtn3 = nullptr;
    framework::TGroupBox* GroupBox2 = nullptr;
    framework::TLabel* Label1 = nullptr;
    framework::TComboBox* cmb_bitrate = nullptr;
    framework::TLabel* Label3 = nullptr;
    framework::TLabel* Label2 = nullptr;
    framework::TComboBox* cmb_enctype = nullptr;
    // The encoder component (owned by the form).
    std::unique_ptr<encoder::TGogoTea> GogoTea;

    // Start-up and dispatch.
    void FormShow(framework::TObject* Sender);
    void RunBatches();

    // Settings file.
    void LoadSettings();
    void SaveSettings();
    void FormClose(framework::TObject* Sender, framework::TCloseAction& Action);
    void BitBtn1Click(framework::TObject* Sender);
    void BitBtn2Click(framework::TObject* Sender);

    // Folder controls.
    void rdo_onajiClick(framework::TObject* Sender);
    void dir_lstChange(framework::TObject* Sender);
    void drive_cmbExit(framework::TObject* Sender);
    // Raises framework::Exception("Drive not ready") when the volume at `drive` (a volume
    // root) cannot be read; returns its total size in bytes otherwise.
    std::int64_t CheckDriveReady(const std::string& drive);
    // The volume that last passed the media check ("" until one has).
    const std::string& LastGoodDrive() const { return LastGoodDrive_; }

    // The batches (app/Batches.cpp). Virtual so that tests can stand in for them.
    virtual void EncodeWavList();
    virtual void DecodeMp3List();
    void GogoTeaProgress(encoder::TGogoTea* Sender, std::int32_t nowFrames, std::int32_t AllFrames);

    // Shortcuts, help and the about box (app/ShellActions.cpp).
    void btn_sendtoClick(framework::TObject* Sender);
    void CreateShortcut(const std::string& folder);
    void BitBtn4Click(framework::TObject* Sender);
    void btn_verClick(framework::TObject* Sender);

    // Batch state: a batch runs (inside RunBatches); the user asked it to stop after the
    // current file (closing the window). The batches read StopRequested after each file.
    bool BatchRunning() const { return batchDepth_ > 0; }
    bool StopRequested() const { return stopRequested_; }

    // Releases WavFileList, then Mp3FileList; deferred until RunBatches ends while a
    // batch runs. Each list is released at most once.
    void ReleaseFileLists();

    // The size query of the media check (platform::VolumeTotalSize unless replaced).
    std::function<std::int64_t(const std::string& root)> VolumeSizeQuery;

  protected:
    void CMShowingChanged(framework::TMessage& Message) override;

  private:
    void SavePosition();
    void BindControls();
    void BindEvents();

    std::string LastGoodDrive_;
    int batchDepth_ = 0;
    bool stopRequested_ = false;
    bool releasePending_ = false;
    bool restoringDrive_ = false;
};

}  // namespace app
