#include "libs/gogo/MemorySource.h"

#include <algorithm>
#include <cstring>

namespace gogo {

int64_t MemorySource::Read(void* buffer, size_t size) {
    size_t n = std::min(size, size_ - pos_);
    if (n > 0) {
        std::memcpy(buffer, data_ + pos_, n);
    }
    pos_ += n;
    return static_cast<int64_t>(n);
}

bool MemorySource::Skip(uint64_t count) {
    if (count > size_ - pos_) {
        pos_ = size_;
        return false;
    }
    pos_ += static_cast<size_t>(count);
    return true;
}

}  // namespace gogo
