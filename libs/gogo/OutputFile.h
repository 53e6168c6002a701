// The encoder's output: a hidden temporary file beside the destination, written through a
// large buffer and renamed onto the destination only once it is complete and synced.
// Destroying or discarding an uncommitted file removes the temporary. One thread at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "gogo.h"

namespace gogo {

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates ".<name>.XXXXXX.part" in the destination's folder. GOGO_OK,
    // GOGO_ERR_OUTPUT_IS_DIR or GOGO_ERR_OUTPUT_DIR.
    MPGE_STATUS Create(const std::string& destination);
    // Appends bytes; false once a write has failed (the file is then useless).
    bool Write(const void* data, size_t size);
    // Overwrites bytes already written, at `offset` from the start of the file.
    bool WriteAt(uint64_t offset, const void* data, size_t size);
    // Bytes appended so far.
    uint64_t Position() const { return position_; }
    // Flushes, syncs, closes and renames onto the destination. False on any failure, in
    // which case the temporary is removed.
    bool Commit();
    // Closes and removes the temporary, unless committed. Safe to repeat.
    void Discard();

    // Test seam: when >= 0, the writer behaves as if the disk were full once this many
    // bytes have reached the file. -1 (the default) switches it off.
    static std::atomic<int64_t> failAfterBytes;

  private:
    bool FlushBuffer();
    bool WriteFully(const uint8_t* data, size_t size, uint64_t offset);

    static constexpr size_t kBufferSize = 1 << 20;
    int fd_ = -1;
    std::string tempPath_;
    std::string destination_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t buffered_ = 0;
    uint64_t position_ = 0;  // logical size: flushed bytes + buffered bytes
    uint64_t flushed_ = 0;
    uint64_t bytesToDisk_ = 0;
    bool failed_ = false;
};

}  // namespace gogo
