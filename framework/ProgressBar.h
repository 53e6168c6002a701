#pragma once
// TProgressBar: a progress bar over Min..Max (0..100 unless set). Main thread only.

#include <string>
#include <utility>

#include "framework/Control.h"

namespace framework {

class TProgressBar : public TControl {
  public:
    TProgressBar(TForm& form, std::string name)
        : TControl(form, ControlType::ProgressBar, std::move(name)) {}
};

}  // namespace framework
