// A ByteSource over a regular file, read in large blocks. One thread at a time.
#pragma once

#include <memory>
#include <string>

#include "gogo.h"
#include "libs/gogo/ByteSource.h"

namespace gogo {

class FileSource final : public ByteSource {
  public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // GOGO_OK, GOGO_ERR_INPUT_OPEN, GOGO_ERR_INPUT_NOT_FILE or GOGO_ERR_INPUT_EMPTY.
    MPGE_STATUS Open(const std::string& path);
    int64_t Read(void* buffer, size_t size) override;
    bool Skip(uint64_t count) override;
    uint64_t Size() const override { return size_; }
    uint64_t Position() const override { return pos_; }

  private:
    static constexpr size_t kBlock = 256 * 1024;
    int fd_ = -1;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;  // logical position of the next byte handed out
    std::unique_ptr<uint8_t[]> buffer_;
    size_t bufferBegin_ = 0;  // unread bytes are buffer_[bufferBegin_, bufferEnd_)
    size_t bufferEnd_ = 0;
};

}  // namespace gogo
