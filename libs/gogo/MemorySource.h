// A ByteSource over a block of memory that the caller keeps alive. One thread at a time.
#pragma once

#include "libs/gogo/ByteSource.h"

namespace gogo {

class MemorySource final : public ByteSource {
  public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int64_t Read(void* buffer, size_t size) override;
    bool Skip(uint64_t count) override;
    uint64_t Size() const override { return size_; }
    uint64_t Position() const override { return pos_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace gogo
