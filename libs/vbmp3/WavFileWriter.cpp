#include "libs/vbmp3/WavFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

constexpr size_t kBufferBytes = 256 * 1024;
constexpr size_t kHeaderBytes = 44;
// The RIFF size field (data size + 36) must fit in 32 bits.
constexpr int64_t kMaxDataBytes = 0xFFFFFFFFll - 36;

void PutLe16(unsigned char* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void PutLe32(unsigned char* p, uint32_t v) {
    PutLe16(p, v & 0xFFFF);
    PutLe16(p + 2, v >> 16);
}

void MakeHeader(unsigned char* h, int sampleRate, int channels, uint32_t dataBytes) {
    const uint32_t blockAlign = uint32_t(channels) * 2;
    std::memcpy(h, "RIFF", 4);
    PutLe32(h + 4, dataBytes + 36);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe32(h + 16, 16);
    PutLe16(h + 20, 1);  // PCM
    PutLe16(h + 22, uint32_t(channels));
    PutLe32(h + 24, uint32_t(sampleRate));
    PutLe32(h + 28, uint32_t(sampleRate) * blockAlign);
    PutLe16(h + 32, blockAlign);
    PutLe16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    PutLe32(h + 40, dataBytes);
}

// The folder of a path: "." when it has none, "/" for a file in the root.
std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return std::string(1, '.');
    }
    return path.substr(0, slash == 0 ? 1 : slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

WavFileWriter::~WavFileWriter() {
    Discard();
}

bool WavFileWriter::Begin(const std::string& destination, int sampleRate, int channels) {
    Discard();
    failed_ = false;
    const std::string folder = FolderOf(destination);
    const std::string name = NameOf(destination);
    if (name.empty()) {
        return false;
    }
    // Created like mkstemp, but with mode 0666 so that the umask gives the finished file
    // the permissions of any other file the user creates.
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::mt19937 random(device());
    std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        std::string suffix(6, 'X');
        for (char& c : suffix) {
            c = kChars[pick(random)];
        }
        // A name near the file system's limit would not leave room for the additions.
        std::string candidate = folder + "/." + name.substr(0, 200) + "." + suffix + ".part";
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_ = fd;
            temporary_ = candidate;
        } else if (errno != EEXIST) {
            return false;
        }
    }
    if (fd_ < 0) {
        return false;
    }
    destination_ = destination;
    sampleRate_ = sampleRate;
    channels_ = channels;
    buffer_.resize(kBufferBytes);
    bufferUsed_ = kHeaderBytes;  // the header is written with its sizes by Finish
    std::memset(buffer_.data(), 0, kHeaderBytes);
    dataBytes_ = 0;
    fileOffset_ = 0;
    return true;
}

bool WavFileWriter::WriteAll(const void* data, size_t bytes, int64_t offset) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (bytes > 0) {
        ssize_t put = ::pwrite(fd_, p, bytes, offset);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        p += put;
        offset += put;
        bytes -= size_t(put);
    }
    return true;
}

bool WavFileWriter::Flush() {
    if (bufferUsed_ == 0) {
        return true;
    }
    if (!WriteAll(buffer_.data(), bufferUsed_, fileOffset_)) {
        failed_ = true;
        return false;
    }
    fileOffset_ += int64_t(bufferUsed_);
    bufferUsed_ = 0;
    return true;
}

bool WavFileWriter::Append(const void* data, size_t bytes) {
    if (fd_ < 0 || failed_) {
        return false;
    }
    if (dataBytes_ + int64_t(bytes) > kMaxDataBytes) {
        failed_ = true;
        return false;
    }
    dataBytes_ += int64_t(bytes);
    const auto* p = static_cast<const unsigned char*>(data);
    while (bytes > 0) {
        size_t n = std::min(bytes, buffer_.size() - bufferUsed_);
        std::memcpy(buffer_.data() + bufferUsed_, p, n);
        bufferUsed_ += n;
        p += n;
        bytes -= n;
        if (bufferUsed_ == buffer_.size() && !Flush()) {
            return false;
        }
    }
    return true;
}

bool WavFileWriter::Finish() {
    if (fd_ < 0) {
        return false;
    }
    unsigned char header[kHeaderBytes];
    MakeHeader(header, sampleRate_, channels_, uint32_t(dataBytes_));
    bool ok = !failed_ && Flush() && WriteAll(header, kHeaderBytes, 0) && ::fsync(fd_) == 0;
    int fd = fd_;
    fd_ = -1;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary_.c_str(), destination_.c_str()) == 0;
    if (!ok) {
        failed_ = true;
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
    // Make the rename itself durable; a failure here does not undo a complete file.
    int dir = ::open(FolderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void WavFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    bufferUsed_ = 0;
}
