#include "libs/gogo/FileSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace gogo {

FileSource::~FileSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

MPGE_STATUS FileSource::Open(const std::string& path) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused right after.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == EISDIR ? GOGO_ERR_INPUT_NOT_FILE : GOGO_ERR_INPUT_OPEN;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return GOGO_ERR_INPUT_OPEN;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return GOGO_ERR_INPUT_NOT_FILE;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    if (st.st_size == 0) {
        ::close(fd);
        return GOGO_ERR_INPUT_EMPTY;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    buffer_ = std::make_unique<uint8_t[]>(kBlock);
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
    pos_ = 0;
    return GOGO_OK;
}

int64_t FileSource::Read(void* buffer, size_t size) {
    if (fd_ < 0) {
        return -1;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < size) {
        if (bufferBegin_ == bufferEnd_) {
            // Large requests bypass the buffer; small ones refill it.
            if (size - done >= kBlock) {
                ssize_t n = ::read(fd_, out + done, size - done);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    return -1;
                }
                if (n == 0) break;
                done += static_cast<size_t>(n);
                pos_ += static_cast<uint64_t>(n);
                continue;
            }
            ssize_t n = ::read(fd_, buffer_.get(), kBlock);
            if (n < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (n == 0) break;
            bufferBegin_ = 0;
            bufferEnd_ = static_cast<size_t>(n);
        }
        size_t take = std::min(size - done, bufferEnd_ - bufferBegin_);
        std::memcpy(out + done, buffer_.get() + bufferBegin_, take);
        bufferBegin_ += take;
        done += take;
        pos_ += take;
    }
    return static_cast<int64_t>(done);
}

bool FileSource::Skip(uint64_t count) {
    if (fd_ < 0) {
        return false;
    }
    if (count > size_ - std::min(pos_, size_)) {
        return false;
    }
    size_t buffered = bufferEnd_ - bufferBegin_;
    if (count <= buffered) {
        bufferBegin_ += static_cast<size_t>(count);
        pos_ += count;
        return true;
    }
    uint64_t target = pos_ + count;
    if (::lseek(fd_, static_cast<off_t>(target), SEEK_SET) < 0) {
        return false;
    }
    bufferBegin_ = bufferEnd_ = 0;
    pos_ = target;
    return true;
}

}  // namespace gogo
