#pragma once
// EInOutError: a file-system operation that failed (a folder that cannot be entered,
// for one). ErrorCode is the host's error number, 0 when there is none. Any thread.

#include <string>

#include "framework/Exception.h"

namespace framework {

class EInOutError : public Exception {
  public:
    EInOutError(const std::string& message, int errorCode)
        : Exception(message), ErrorCode(errorCode) {}
    int ErrorCode;
};

}  // namespace framework
