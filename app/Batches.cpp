// TFmMain: the two batches, WAV to MP3 (EncodeWavList, with the progress handler
// GogoTeaProgress) and MP3 to WAV (DecodeMp3List).
//
// Both walk their list on the main thread, one file after another: counter and file name
// on the batch view, the destination beside the source or in the chosen folder, a
// question before an existing destination is replaced, the conversion, and the optional
// deletion of the source. Both pump the message queue while they work, so the window
// stays painted and its close box is heard: a close stops the batch after the current
// file.
//
// What happens after a failure:
// - An encode that the library ends with an error, or whose input it refuses at set-up
//   (a file that is missing, unreadable or not a usable WAV file, a destination folder
//   that cannot be written): the user is told the file and the reason and asked whether
//   to go on with the next file. A refusal of the settings themselves (an illegal bit
//   rate...) concerns every file: the component's exception leaves the batch, and the
//   program ends with it in the standard error box.
// - A decode that did not write its WAV file completely: the same question.
// - The source of a failed conversion is never deleted, and a destination that is the
//   source itself (through a link) is never deleted or written: the file is skipped with
//   a notice.
// - The decoder refusing to open a file or to begin its output stops the batch, with the
//   message boxes " File Open Error!!" and " Decode Error!!".
// - A negative SLEEP or WAIT means no pause.

#include <cstdint>
#include <string>

#include "app/BatchCalls.h"
#include "app/UMain.h"
#include "framework/Application.h"
#include "libs/gogo/gogo.h"
#include "libs/vbmp3/vbmp3.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/SameFile.h"

namespace app {

namespace {

using framework::Application;

constexpr const char* kOverwriteQuestion = " はすでに存在します。上書きしますか？";
constexpr const char* kConfirmCaption = "確認";
constexpr const char* kCannotReplace = "を削除できませんでした。処理を中止します。";
constexpr const char* kDeleteFailed = "削除失敗しました。処理を続けますか？";
constexpr const char* kDeleteFailedCaption = "Error Msg";
constexpr const char* kErrorCaption = "ErrorMessage";
constexpr const char* kOpenError = " File Open Error!!";
constexpr const char* kDecodeError = " Decode Error!!";
constexpr const char* kSameFile = " は変換元のファイルそのものです。このファイルは変換しません。";
constexpr const char* kGoOn = "このファイルは変換できませんでした。次のファイルに進みますか？";
constexpr unsigned kOverwriteFlags = framework::MB_YESNOCANCEL | framework::MB_ICONQUESTION;
constexpr unsigned kQuestionFlags = framework::MB_YESNO | framework::MB_ICONEXCLAMATION;
constexpr unsigned kErrorFlags = framework::MB_OK | framework::MB_ICONEXCLAMATION;

// The longest the encode wait sleeps between two looks at the component. Every change of
// IsEncoding arrives as a message, which ends the sleep at once; the limit only bounds
// the wait should a renderer miss a wake-up.
constexpr std::chrono::milliseconds kWaitSlice{250};

void Pump() {
    Application().ProcessMessages();
}

void Pause(std::int32_t ms) {
    if (ms > 0) Calls().Sleep(ms);
}

// now * 100 / all in signed 32-bit arithmetic (the product wraps as it always has),
// truncated toward zero. `all` is greater than 0.
std::int32_t Percent(std::int32_t now, std::int32_t all) {
    const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) * 100u);
    return product / all;
}

std::string Counter(std::size_t index, std::size_t count) {
    return std::to_string(index + 1) + " / " + std::to_string(count);
}

// The destination: the source's name with the new extension, in the source's folder or
// in the chosen folder, joined as they stand ("/a.wav" gives "//a.mp3").
std::string DestinationFor(const TFmMain& form, const std::string& source,
                           const std::string& extension) {
    const std::string folder =
        form.rdo_onaji->Checked() ? platform::FolderOfFile(source) : form.edt_dir->Text();
    const std::string name = platform::ChangeExtension(platform::FileNamePart(source), extension);
    return platform::JoinPath(folder, name);
}

enum class Next { Convert, Skip, Stop };

// Makes way for the destination: asks before an existing entry is replaced, and deletes
// it when the user agrees.
Next ClearDestination(const std::string& source, const std::string& destination) {
    if (!platform::FindFirstName(destination)) return Next::Convert;
    if (platform::IsSameFile(source, destination)) {
        framework::ShowMessage(destination + kSameFile);
        return Next::Skip;
    }
    switch (Application().MessageBox(destination + kOverwriteQuestion, kConfirmCaption,
                                     kOverwriteFlags)) {
        case framework::IDYES:
            Calls().SetAttributesNormal(destination);
            if (!Calls().DeleteFile(destination)) {
                framework::ShowMessage(destination + kCannotReplace);
                return Next::Stop;
            }
            return Next::Convert;
        case framework::IDNO:
            return Next::Skip;
        case framework::IDCANCEL:
            return Next::Stop;
        default:  // the box could not be shown
            return Next::Convert;
    }
}

// Deletes a converted source. False when the user chose to stop after a failure.
bool DeleteSource(const std::string& source) {
    Calls().SetAttributesNormal(source);
    Pump();
    const bool deleted = Calls().DeleteFile(source);
    Pump();
    if (deleted) return true;
    return Application().MessageBox(source + kDeleteFailed, kDeleteFailedCaption, kQuestionFlags) !=
           framework::IDNO;
}

// Tells the user which file failed and why; true when the batch is to go on.
bool AskGoOn(const std::string& source, const std::string& reason) {
    return Application().MessageBox(source + ": " + reason + "。" + kGoOn, kErrorCaption,
                                    kQuestionFlags) != framework::IDNO;
}

// Statuses of the encoder library that concern one file, its input or its destination,
// rather than the settings of every encode.
bool IsFileStatus(std::int32_t status) {
    return (status >= GOGO_ERR_NO_INPUT && status <= GOGO_ERR_READ_HEADER) ||
           (status >= GOGO_ERR_NO_OUTPUT && status <= GOGO_ERR_OUTPUT_IS_DIR) ||
           (status >= GOGO_ERR_READ && status <= GOGO_ERR_COMMIT);
}

// Stands for "the encode reported success but left no file".
constexpr std::int32_t kNoOutput = -1000;

// The reason of an encoder library status, in words.
std::string EncodeStatusText(std::int32_t status) {
    std::string text;
    switch (status) {
        case GOGO_ERR_NO_INPUT:
            text = "入力ファイルが指定されていません";
            break;
        case GOGO_ERR_INPUT_OPEN:
            text = "ファイルを開けません（ないか、読む権限がありません）";
            break;
        case GOGO_ERR_INPUT_NOT_FILE:
            text = "ファイルではありません（フォルダなど）";
            break;
        case GOGO_ERR_INPUT_EMPTY:
            text = "ファイルが空です";
            break;
        case GOGO_ERR_NOT_RIFF:
            text = "WAV ファイルではありません";
            break;
        case GOGO_ERR_TRUNCATED:
            text = "WAV ファイルが途中で切れています";
            break;
        case GOGO_ERR_CHUNK_SIZE:
            text = "WAV ファイルのチャンクの大きさが壊れています";
            break;
        case GOGO_ERR_NO_FMT:
            text = "WAV ファイルに fmt チャンクがありません";
            break;
        case GOGO_ERR_SECOND_FMT:
            text = "WAV ファイルに fmt チャンクが二つあります";
            break;
        case GOGO_ERR_FMT_TOO_SHORT:
            text = "WAV ファイルの fmt チャンクが短すぎます";
            break;
        case GOGO_ERR_FORMAT_TAG:
            text = "対応していない WAV 形式です（圧縮形式など）";
            break;
        case GOGO_ERR_CHANNELS:
            text = "対応していないチャンネル数です（1 か 2）";
            break;
        case GOGO_ERR_BITS:
            text = "対応していないビット数です";
            break;
        case GOGO_ERR_BLOCK_ALIGN:
            text = "WAV ファイルのブロックの大きさが壊れています";
            break;
        case GOGO_ERR_SAMPLE_RATE:
            text = "対応していないサンプリング周波数です";
            break;
        case GOGO_ERR_NO_DATA:
            text = "WAV ファイルに音声データ（data チャンク）がありません";
            break;
        case GOGO_ERR_READ_HEADER:
            text = "WAV ファイルのヘッダーを読めません";
            break;
        case GOGO_ERR_NO_OUTPUT:
            text = "保存先が指定されていません";
            break;
        case GOGO_ERR_OUTPUT_DIR:
            text = "保存先のフォルダがないか、書き込めません";
            break;
        case GOGO_ERR_OUTPUT_IS_DIR:
            text = "保存先と同じ名前のフォルダがあります";
            break;
        case GOGO_ERR_READ:
            text = "ファイルを最後まで読めません";
            break;
        case GOGO_ERR_WRITE:
            text = "MP3 ファイルを書き込めません（ディスクの空き不足など）";
            break;
        case GOGO_ERR_ENCODE:
            text = "エンコードに失敗しました";
            break;
        case GOGO_ERR_COMMIT:
            text = "MP3 ファイルを保存先に置けません";
            break;
        case GOGO_ERR_INTERNAL:
            text = "エンコーダーの内部エラーです";
            break;
        case GOGO_ERR_OUT_OF_MEMORY:
            text = "メモリが足りません";
            break;
        case kNoOutput:
            return "MP3 ファイルができていません";
        default:
            text = "エンコーダーのエラーです";
            break;
    }
    return text + "（コード " + std::to_string(status) + "）";
}

// The reason of an incomplete decode, in words.
std::string DecodeResultText(std::int32_t result) {
    switch (result) {
        case VBMP3_RESULT_DECODE_ERROR:
            return "MP3 ファイルを最後まで読めません（壊れているか、途中で切れています）";
        case VBMP3_RESULT_WRITE_ERROR:
            return "WAV ファイルを書き込めません（ディスクの空き不足など）";
        case VBMP3_RESULT_ABORTED:
            return "変換が途中で打ち切られました";
        default:
            return "WAV ファイルが書き終わっていません";
    }
}

}  // namespace

void TFmMain::GogoTeaProgress(encoder::TGogoTea*, std::int32_t nowFrames, std::int32_t AllFrames) {
    if (AllFrames > 0) prog_main->SetPosition(Percent(nowFrames, AllFrames));
}

void TFmMain::EncodeWavList() {
    GogoTea->SetBitrate(BitRateSetting);
    GogoTea->SetEncodeType(static_cast<encoder::TEncodeType>(EncodeTypeSetting & 0xFF));
    const std::size_t count = WavFileList ? WavFileList->size() : 0;
    // The list is read anew on every pass: handlers run while the batch pumps.
    for (std::size_t i = 0; WavFileList && i < WavFileList->size(); ++i) {
        if (StopRequested()) return;
        const std::string source = (*WavFileList)[i];
        lbl_track->SetCaption(Counter(i, count));
        lbl_filename2->SetCaption(platform::FileNamePart(source));
        GogoTea->SetSourceFile(source);
        GogoTea->SetDestFile(DestinationFor(*this, source, ".mp3"));
        const std::string destination = GogoTea->DestinationFile();

        const Next next = ClearDestination(source, destination);
        if (next == Next::Stop) return;
        if (next == Next::Skip) continue;

        Pump();
        Pause(SleepSetting);

        std::int32_t status = 0;
        try {
            GogoTea->Execute();
        } catch (const encoder::EGogoTeaError& error) {
            // A refused input or destination concerns this file only; anything else
            // (the settings, the library itself) leaves the batch.
            if (std::string(error.what()) != encoder::kMsgBadSettings) throw;
            status = GogoTea->EncodeResult();
            if (!IsFileStatus(status)) throw;
        }
        if (status == 0) {
            // Sleeps until the worker's next notification instead of spinning, so the
            // main thread leaves the processor to the encode.
            while (GogoTea->IsEncoding()) {
                Pump();
                if (GogoTea->IsEncoding()) Application().WaitForWork(kWaitSlice);
            }
            status = GogoTea->EncodeResult();
            if (status == 0 && !platform::FileOrFolderExists(destination)) status = kNoOutput;
        }
        if (status != 0) {
            if (!AskGoOn(source, EncodeStatusText(status))) return;
            continue;  // the source of a failed encode stays
        }

        if (chk_moto_del->Checked() && !DeleteSource(source)) return;
    }
}

void TFmMain::DecodeMp3List() {
    BatchCalls& decoder = Calls();
    decoder.DecoderStartup();
    const std::size_t count = Mp3FileList ? Mp3FileList->size() : 0;
    prog_main->SetPosition(0);
    for (std::size_t i = 0; Mp3FileList && i < Mp3FileList->size(); ++i) {
        if (StopRequested()) return;
        const std::string source = (*Mp3FileList)[i];
        lbl_track->SetCaption(Counter(i, count));
        lbl_filename2->SetCaption(platform::FileNamePart(source));
        const std::string destination = DestinationFor(*this, source, ".wav");

        const Next next = ClearDestination(source, destination);
        if (next == Next::Stop) return;
        if (next == Next::Skip) continue;

        Mp3StreamInfo info{};
        decoder.DecoderCloseInput();
        if (decoder.DecoderOpenInput(source.c_str(), &info) == 0) {
            Application().MessageBox(source + kOpenError, kErrorCaption, kErrorFlags);
            return;
        }
        const DecoderOptionBlock options{0, 0, 44100};
        decoder.DecoderSetOptions(&options);
        decoder.DecoderCloseInput();
        if (decoder.DecoderOpenInput(source.c_str(), &info) == 0) {
            Application().MessageBox(source + kOpenError, kErrorCaption, kErrorFlags);
            return;
        }
        Pump();
        if (decoder.DecoderBeginWavOutput(destination.c_str()) == 0) {
            Application().MessageBox(source + kDecodeError, kErrorCaption, kErrorFlags);
            return;
        }
        // Each poll decodes a step itself, so the loop does work on every pass.
        std::int32_t position = 0;
        std::int32_t going = 0;
        do {
            going = decoder.DecoderPoll(&position);
            if (info.TotalLength > 0) prog_main->SetPosition(Percent(position, info.TotalLength));
            Pump();
        } while (going != 0);
        Pump();
        Pause(WaitSetting);

        const std::int32_t result = decoder.DecoderLastResult();
        if (result != VBMP3_RESULT_COMPLETE) {
            if (!AskGoOn(source, DecodeResultText(result))) return;
            continue;  // no usable WAV file: the source stays
        }

        if (chk_moto_del->Checked()) {
            decoder.DecoderCloseInput();
            if (!DeleteSource(source)) return;
        }
    }
}

}  // namespace app
