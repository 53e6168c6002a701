#pragma once
// The base class of every exception that the program raises itself (the VCL's Exception).
// Any thread.

#include <stdexcept>

namespace framework {
class Exception : public std::runtime_error {
    using runtime_error::runtime_error;
};
}  // namespace framework
