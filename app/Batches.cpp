// TFmMain: the two batches, WAV to MP3 and MP3 to WAV.
//
// MINIMAL STUBS: the batches are not written yet. They convert nothing and return at
// once; the progress handler moves the bar already.
#include "app/UMain.h"

namespace app {

void TFmMain::EncodeWavList() {}

void TFmMain::DecodeMp3List() {}

void TFmMain::GogoTeaProgress(encoder::TGogoTea*, std::int32_t nowFrames, std::int32_t AllFrames) {
    if (AllFrames > 0) {
        prog_main->SetPosition(
            static_cast<std::int32_t>(static_cast<std::int64_t>(nowFrames) * 100 / AllFrames));
    }
}

}  // namespace app
