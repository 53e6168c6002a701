#pragma once
// The layout of the main window FmMain as data: the window, every control (geometry,
// caption, tag, tab order, visibility, font), and the design values of its encoder
// component GogoTea. Main thread only (the data is immutable).

#include <cstdint>

#include "encoder/GogoTea.h"
#include "framework/Layout.h"

namespace app {

const framework::FormSpec& FmMainLayout();

// The encoder component's values as the window's layout stores them.
struct GogoTeaDesign {
    encoder::TThreadPriority Priority = encoder::tpIdle;
    std::int32_t Frequency = 100;
    std::int32_t Processors = 1;
    encoder::TEmphasis Emphasis = encoder::_NO_EMPH;
    bool UsePsyAnalize = false;
    bool UseLPF = false;
    bool UseVBR = false;
    std::int32_t VBRLevel = 5;
    encoder::TSetOfUseUnit Optimization{encoder::_USE_MMX, encoder::_USE_3DNOW, encoder::_USE_KNI,
                                        encoder::_USE_EX_3DNOW};
    encoder::TEncodeFormat EncodeFormat = encoder::_FORMAT_OF_MP3;
    encoder::TEncodeMode EncodeMode = encoder::_FILE;
    encoder::TEncodeType EncodeType = encoder::_JOINT;
    std::int32_t BitRate = 128;
    encoder::TExtFilter ExtFilter{false, 55, 70};
    encoder::TVBRBitrate VBRBitrate{false, 40, 128};
    encoder::TMSSetting MSSetting{false, 75, 66};
};

const GogoTeaDesign& FmMainGogoTeaDesign();

// Applies the design values to a component (member-wise for the groups, as the layout
// stores them).
void ApplyGogoTeaDesign(encoder::TGogoTea& gogo, const GogoTeaDesign& design);

}  // namespace app
