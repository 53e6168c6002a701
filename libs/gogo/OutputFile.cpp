#include "libs/gogo/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace gogo {

std::atomic<int64_t> OutputFile::failAfterBytes{-1};

OutputFile::~OutputFile() {
    Discard();
}

MPGE_STATUS OutputFile::Create(const std::string& destination) {
    Discard();
    struct stat st {};
    if (::stat(destination.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return GOGO_ERR_OUTPUT_IS_DIR;
    }
    std::string folder;
    std::string name = destination;
    size_t slash = destination.find_last_of('/');
    if (slash != std::string::npos) {
        folder = destination.substr(0, slash + 1);
        name = destination.substr(slash + 1);
    }
    if (name.empty()) return GOGO_ERR_OUTPUT_IS_DIR;

    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 rng(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, 'x');
        for (char& c : suffix) c = kChars[rng() % (sizeof kChars - 1)];
        std::string temp = folder + "." + name + "." + suffix + ".part";
        // Mode 0666 so that the finished file gets the usual permissions under the umask.
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_ = fd;
            tempPath_ = temp;
            destination_ = destination;
            buffer_ = std::make_unique<uint8_t[]>(kBufferSize);
            buffered_ = 0;
            position_ = flushed_ = bytesToDisk_ = 0;
            failed_ = false;
            return GOGO_OK;
        }
        if (errno != EEXIST) return GOGO_ERR_OUTPUT_DIR;
    }
    return GOGO_ERR_OUTPUT_DIR;
}

bool OutputFile::WriteFully(const uint8_t* data, size_t size, uint64_t offset) {
    while (size > 0) {
        size_t chunk = size;
        int64_t limit = failAfterBytes.load(std::memory_order_relaxed);
        bool simulateFull = false;
        if (limit >= 0) {
            uint64_t room = bytesToDisk_ < static_cast<uint64_t>(limit)
                                ? static_cast<uint64_t>(limit) - bytesToDisk_
                                : 0;
            if (room < chunk) {
                chunk = static_cast<size_t>(room);
                simulateFull = true;
            }
        }
        if (chunk == 0 && simulateFull) {
            errno = ENOSPC;
            return false;
        }
        ssize_t n = ::pwrite(fd_, data, chunk, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
        bytesToDisk_ += static_cast<uint64_t>(n);
    }
    return true;
}

bool OutputFile::FlushBuffer() {
    if (buffered_ == 0) return true;
    if (!WriteFully(buffer_.get(), buffered_, flushed_)) {
        failed_ = true;
        return false;
    }
    flushed_ += buffered_;
    buffered_ = 0;
    return true;
}

bool OutputFile::Write(const void* data, size_t size) {
    if (fd_ < 0 || failed_) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        size_t take = std::min(size, kBufferSize - buffered_);
        std::memcpy(buffer_.get() + buffered_, bytes, take);
        buffered_ += take;
        position_ += take;
        bytes += take;
        size -= take;
        if (buffered_ == kBufferSize && !FlushBuffer()) return false;
    }
    return true;
}

bool OutputFile::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (fd_ < 0 || failed_ || offset + size > position_) return false;
    if (!FlushBuffer()) return false;
    if (!WriteFully(static_cast<const uint8_t*>(data), size, offset)) {
        failed_ = true;
        return false;
    }
    return true;
}

bool OutputFile::Commit() {
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    bool ok = FlushBuffer() && ::fsync(fd_) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    if (ok && ::rename(tempPath_.c_str(), destination_.c_str()) == 0) {
        tempPath_.clear();
        // Make the rename itself durable.
        size_t slash = destination_.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : destination_.substr(0, slash + 1);
        int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
        buffer_.reset();
        return true;
    }
    Discard();
    return false;
}

void OutputFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
    buffer_.reset();
    buffered_ = 0;
}

}  // namespace gogo
