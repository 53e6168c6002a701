#pragma once
// EIniFileException: a settings file that cannot be written. Its message is the file's
// path followed by " に書き込めません". Any thread.

#include "framework/Exception.h"

namespace framework {

class EIniFileException : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace framework
