// Mp3InputFile: the bytes of an MP3 file that hold audio, read through a 64 KiB buffer.
//
// Trailing ID3v1, APEv2 and Lyrics3v2 tags are cut off, so the decoder never takes tag
// bytes for audio frames (a tag may hold anything, including bytes that look like a frame
// header). Leading ID3v2 tags are left to libmpg123, which skips them. Used by one thread
// at a time (the one that drives the decoder).
#ifndef TOVANEK_LIBS_VBMP3_MP3INPUTFILE_H
#define TOVANEK_LIBS_VBMP3_MP3INPUTFILE_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Mp3InputFile {
  public:
    Mp3InputFile() = default;
    ~Mp3InputFile();
    Mp3InputFile(const Mp3InputFile&) = delete;
    Mp3InputFile& operator=(const Mp3InputFile&) = delete;

    // Opens a regular file; false when it cannot be opened or is not a regular file.
    bool Open(const std::string& path);

    // Like POSIX read/lseek over the audio part [0, AudioEnd()). Read returns -1 on an
    // I/O error; Seek returns -1 for a position outside the audio part.
    ssize_t Read(void* dst, size_t count);
    off_t Seek(off_t offset, int whence);

    int64_t FileSize() const { return fileSize_; }
    int64_t AudioEnd() const { return audioEnd_; }
    // The position of the next byte handed out by Read.
    int64_t Position() const { return position_; }

  private:
    bool ReadAt(int64_t offset, void* dst, size_t count);
    int64_t FindAudioEnd();

    int fd_ = -1;
    int64_t fileSize_ = 0;
    int64_t audioEnd_ = 0;
    int64_t position_ = 0;
    std::vector<unsigned char> buffer_;
    int64_t bufferStart_ = 0;
    size_t bufferLength_ = 0;
};

#endif
