#pragma once
// Observer of a form's model: every property change of the form or of one of its
// controls is reported after the new value is stored. Main thread only.

#include "framework/Types.h"

namespace framework {

class TForm;
class TControl;

class ChangeListener {
  public:
    virtual ~ChangeListener() = default;
    // `control` is null for a property of the form itself.
    virtual void PropertyChanged(TForm& form, TControl* control, Property property) = 0;
};

}  // namespace framework
