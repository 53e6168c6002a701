// The byte stream the WAV reader parses: a file or, for the fuzz target, a memory block.
// Used by one thread at a time (the thread running the library's entry points).
#pragma once

#include <cstddef>
#include <cstdint>

namespace gogo {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes; returns the count (less than `size` only at the end of the
    // stream) or -1 on a read error.
    virtual int64_t Read(void* buffer, size_t size) = 0;
    // Moves forward by `count` bytes; false when that passes the end or seeking fails.
    virtual bool Skip(uint64_t count) = 0;
    // Total length of the stream in bytes and the current position.
    virtual uint64_t Size() const = 0;
    virtual uint64_t Position() const = 0;
};

}  // namespace gogo
