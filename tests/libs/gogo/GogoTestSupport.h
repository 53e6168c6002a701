// Shared pieces of the libgogo tests: a scratch folder and a whole encode driven the way
// the encoder component drives the library. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "libs/gogo/gogo.h"

namespace gogotest {

class ScratchDir : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // Names in the folder, hidden ones included.
    std::vector<std::string> Entries() const;
    std::string dir_;
};

struct EncodeRun {
    MPGE_STATUS detect = -1;
    int32_t allFrames = 0;
    int calls = 0;          // MPGE_processFrame calls until the first nonzero status
    MPGE_STATUS last = -1;  // that status
    std::vector<uint8_t> output;
};

// The component's default codes (8=0, 4=128, 9=0, 10-13=1, 14=15=0, 17=0, 3=2, 19=1) for
// the given input and output, then `extra`, then detect, frames and close.
EncodeRun RunEncode(const std::string& input, const std::string& output,
                    const std::function<void()>& extra = {});
// The same set-up, ending at MPGE_detectConfigure; the library is then ended.
MPGE_STATUS DetectOnly(const std::string& input, const std::string& output,
                       const std::function<void()>& extra = {});

// Offset of the first byte after the ID3v2 tag at the start, 0 when there is none.
size_t SkipId3v2(const std::vector<uint8_t>& bytes);

struct RiffChunk {
    std::string id;
    size_t offset;  // of the payload
    uint32_t size;
};
// The chunks of a RIFF file after the form type; empty when the structure is broken.
std::vector<RiffChunk> RiffChunks(const std::vector<uint8_t>& bytes, std::string* formType);

}  // namespace gogotest
