#include "libs/vbmp3/Mp3InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr size_t kBufferBytes = 64 * 1024;
constexpr int64_t kId3v1Bytes = 128;
constexpr int64_t kApeFooterBytes = 32;
constexpr int64_t kLyrics3FooterBytes = 15;  // six digits of size and "LYRICS200"

uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

Mp3InputFile::~Mp3InputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool Mp3InputFile::Open(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    fileSize_ = st.st_size;
    buffer_.resize(kBufferBytes);
    audioEnd_ = FindAudioEnd();
    position_ = 0;
    bufferLength_ = 0;
    return true;
}

bool Mp3InputFile::ReadAt(int64_t offset, void* dst, size_t count) {
    auto* out = static_cast<unsigned char*>(dst);
    while (count > 0) {
        ssize_t got = ::pread(fd_, out, count, offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        out += got;
        offset += got;
        count -= size_t(got);
    }
    return true;
}

// Strips tags from the end, in any order, until none is left: ID3v1 ("TAG" + 125 bytes),
// APEv2 (32-byte footer "APETAGEX", with an optional 32-byte header before the items) and
// Lyrics3v2 ("LYRICSBEGIN" ... size in six digits, "LYRICS200").
int64_t Mp3InputFile::FindAudioEnd() {
    int64_t end = fileSize_;
    for (int guard = 0; guard < 8; ++guard) {
        unsigned char tail[kApeFooterBytes];
        if (end >= kId3v1Bytes && ReadAt(end - kId3v1Bytes, tail, 3) &&
            std::memcmp(tail, "TAG", 3) == 0) {
            end -= kId3v1Bytes;
            continue;
        }
        if (end >= kApeFooterBytes && ReadAt(end - kApeFooterBytes, tail, kApeFooterBytes) &&
            std::memcmp(tail, "APETAGEX", 8) == 0) {
            int64_t size = ReadLe32(tail + 12);  // items and footer, without the header
            uint32_t flags = ReadLe32(tail + 20);
            if (flags & 0x80000000u) {
                size += kApeFooterBytes;
            }
            if (size >= kApeFooterBytes && size <= end) {
                end -= size;
                continue;
            }
        }
        if (end >= kLyrics3FooterBytes &&
            ReadAt(end - kLyrics3FooterBytes, tail, kLyrics3FooterBytes) &&
            std::memcmp(tail + 6, "LYRICS200", 9) == 0) {
            int64_t size = 0;
            bool digits = true;
            for (int i = 0; i < 6; ++i) {
                digits = digits && tail[i] >= '0' && tail[i] <= '9';
                size = size * 10 + (tail[i] - '0');
            }
            unsigned char begin[11];
            int64_t start = end - kLyrics3FooterBytes - size;
            if (digits && start >= 0 && ReadAt(start, begin, sizeof begin) &&
                std::memcmp(begin, "LYRICSBEGIN", sizeof begin) == 0) {
                end = start;
                continue;
            }
        }
        break;
    }
    return end;
}

ssize_t Mp3InputFile::Read(void* dst, size_t count) {
    auto* out = static_cast<unsigned char*>(dst);
    size_t done = 0;
    while (done < count && position_ < audioEnd_) {
        if (position_ < bufferStart_ || position_ >= bufferStart_ + int64_t(bufferLength_)) {
            size_t want = size_t(std::min<int64_t>(int64_t(buffer_.size()), audioEnd_ - position_));
            ssize_t got;
            do {
                got = ::pread(fd_, buffer_.data(), want, position_);
            } while (got < 0 && errno == EINTR);
            if (got < 0) {
                bufferLength_ = 0;
                return done > 0 ? ssize_t(done) : -1;
            }
            if (got == 0) {
                break;  // the file shrank under us: end of data
            }
            bufferStart_ = position_;
            bufferLength_ = size_t(got);
        }
        size_t offset = size_t(position_ - bufferStart_);
        size_t n = std::min(count - done, bufferLength_ - offset);
        std::memcpy(out + done, buffer_.data() + offset, n);
        done += n;
        position_ += int64_t(n);
    }
    return ssize_t(done);
}

off_t Mp3InputFile::Seek(off_t offset, int whence) {
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? position_ : audioEnd_;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) {
        errno = EINVAL;
        return -1;
    }
    int64_t target = base + offset;
    if (target < 0 || target > audioEnd_) {
        errno = EINVAL;
        return -1;
    }
    position_ = target;
    return off_t(position_);
}
