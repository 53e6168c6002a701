// The memory-mode ring and the library's input function.

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "encoder/GogoTea.h"
#include "tests/encoder/FakeGogo.h"
#include "tests/encoder/TestSupport.h"

using namespace encoder;
using testsupport::PumpUntil;

namespace {

constexpr std::int32_t kMaxStored = 1048574;

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t seed = 0) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return v;
}

class RingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fakegogo::Reset();
        tea = std::make_unique<TGogoTea>();
        tea->SetEncodeMode(_MEMORY);
    }
    // Moves both indices to `pos` through a write and a read of that many bytes.
    void MoveIndicesTo(std::int32_t pos) {
        std::vector<std::uint8_t> bytes(pos);
        ASSERT_TRUE(tea->WriteBuffer(bytes.data(), pos));
        ASSERT_TRUE(tea->ReadBuffer(bytes.data(), pos));
    }
    std::unique_ptr<TGogoTea> tea;
};

TEST_F(RingTest, WriteFitsOnlyBelowTheFreeCount) {
    struct Case {
        const char* name;
        std::int32_t start;   // both indices
        std::int32_t stored;  // bytes already in the ring
        std::int32_t size;
        bool fits;
    };
    const Case cases[] = {
        {"empty, largest write", 0, 0, kMaxStored, true},
        {"empty, one byte more", 0, 0, kMaxStored + 1, false},
        {"exact free count fails", 0, 10, kMaxStored + 1 - 10, false},
        {"one below the free count", 0, 10, kMaxStored - 10, true},
        {"full ring takes no byte", 0, kMaxStored, 1, false},
        {"exact free count fails across the wrap", 1000000, 100, kMaxStored + 1 - 100, false},
        {"largest write across the wrap", 1000000, 100, kMaxStored - 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tea->Initialize();
        tea->SetEncodeMode(_MEMORY);
        MoveIndicesTo(c.start);
        const auto before = Pattern(c.stored, 1);
        if (c.stored > 0) {
            ASSERT_TRUE(tea->WriteBuffer(before.data(), c.stored));
        }
        const auto data = Pattern(c.size, 2);
        EXPECT_EQ(tea->WriteBuffer(data.data(), c.size), c.fits);
        // Nothing partial: the ring holds the old bytes, then the new ones if they fit.
        std::vector<std::uint8_t> out(kMaxStored + 10, 0xEE);
        const std::int32_t n = tea->ReadBufferEx(out.data(), static_cast<std::int32_t>(out.size()));
        ASSERT_EQ(n, c.stored + (c.fits ? c.size : 0));
        EXPECT_TRUE(std::equal(before.begin(), before.end(), out.begin()));
        if (c.fits) {
            EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin() + c.stored));
        }
    }
}

TEST_F(RingTest, BytesCrossTheLastIndexAndContinueAtZero) {
    MoveIndicesTo(0xFFFFF - 50);
    const auto data = Pattern(200, 3);
    ASSERT_TRUE(tea->WriteBuffer(data.data(), 200));
    std::vector<std::uint8_t> first(120), rest(80);
    ASSERT_TRUE(tea->ReadBuffer(first.data(), 120));  // crosses 0xFFFFF
    ASSERT_TRUE(tea->ReadBuffer(rest.data(), 80));
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(first, data);
    EXPECT_EQ(tea->ReadBufferEx(rest.data(), 80), 0);
}

TEST_F(RingTest, ReadsTakeAllOrNothingOrPadWithZeros) {
    const auto data = Pattern(10, 4);
    ASSERT_TRUE(tea->WriteBuffer(data.data(), 10));
    std::vector<std::uint8_t> out(20, 0xEE);
    EXPECT_FALSE(tea->ReadBuffer(out.data(), 11));
    EXPECT_EQ(out, std::vector<std::uint8_t>(20, 0xEE));
    EXPECT_TRUE(tea->ReadBuffer(out.data(), 0));
    EXPECT_EQ(tea->ReadBufferEx(out.data(), 0), 0);
    EXPECT_EQ(tea->ReadBufferEx(out.data(), 20), 10);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 10, out.end()),
              std::vector<std::uint8_t>(10, 0));
}

TEST_F(RingTest, OutsideMemoryModeTheRingDoesNothing) {
    tea->SetEncodeMode(_FILE);
    const auto data = Pattern(10);
    std::vector<std::uint8_t> out(10, 0xEE);
    EXPECT_TRUE(tea->WriteBuffer(data.data(), 10));
    EXPECT_TRUE(tea->ReadBuffer(out.data(), 10));
    EXPECT_EQ(tea->ReadBufferEx(out.data(), 10), 0);
    EXPECT_EQ(out, std::vector<std::uint8_t>(10, 0xEE));
    tea->SetEncodeMode(_MEMORY);
    EXPECT_EQ(tea->ReadBufferEx(out.data(), 10), 0);  // the file-mode write stored nothing
}

TEST_F(RingTest, EndOfInputPadsTheLastReadThenReportsTheEnd) {
    const auto data = Pattern(100, 5);
    EXPECT_TRUE(tea->WriteBuffer(data.data(), 0));  // changes nothing
    ASSERT_TRUE(tea->WriteBuffer(data.data(), 100));
    EXPECT_TRUE(tea->WriteBuffer(nullptr, 55));  // marks the end
    std::vector<std::uint8_t> out(1000, 0xEE);
    EXPECT_EQ(TGogoTea::MemoryInputProc(out.data(), 1000), 0);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 100, out.end()),
              std::vector<std::uint8_t>(900, 0));
    std::fill(out.begin(), out.end(), 0xEE);
    EXPECT_EQ(TGogoTea::MemoryInputProc(out.data(), 1000), 1);
    EXPECT_EQ(out, std::vector<std::uint8_t>(1000, 0));
}

TEST_F(RingTest, FullReadIsTriedBeforeTheEnd) {
    const auto data = Pattern(300, 6);
    ASSERT_TRUE(tea->WriteBuffer(data.data(), 300));
    ASSERT_TRUE(tea->WriteBuffer(nullptr, 0));
    std::vector<std::uint8_t> out(200);
    EXPECT_EQ(TGogoTea::MemoryInputProc(out.data(), 200), 0);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
}

TEST_F(RingTest, WaitingInputWakesOnDataEndOrDestruction) {
    enum class Wake { Data, End, Destruction };
    for (Wake wake : {Wake::Data, Wake::End, Wake::Destruction}) {
        SCOPED_TRACE(static_cast<int>(wake));
        tea = std::make_unique<TGogoTea>();
        tea->SetEncodeMode(_MEMORY);
        const auto some = Pattern(40, 7);
        ASSERT_TRUE(tea->WriteBuffer(some.data(), 40));  // too few for the request
        std::vector<std::uint8_t> out(100, 0xEE);
        auto result = std::async(std::launch::async,
                                 [&] { return TGogoTea::MemoryInputProc(out.data(), 100); });
        EXPECT_EQ(result.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
        const auto more = Pattern(60, 8);
        switch (wake) {
            case Wake::Data:
                ASSERT_TRUE(tea->WriteBuffer(more.data(), 60));
                EXPECT_EQ(result.get(), 0);
                EXPECT_TRUE(std::equal(some.begin(), some.end(), out.begin()));
                EXPECT_TRUE(std::equal(more.begin(), more.end(), out.begin() + 40));
                break;
            case Wake::End:
                ASSERT_TRUE(tea->WriteBuffer(nullptr, 0));
                EXPECT_EQ(result.get(), 0);  // the 40 bytes, padded
                EXPECT_EQ(out[39], some[39]);
                EXPECT_EQ(out[40], 0);
                break;
            case Wake::Destruction:
                tea.reset();
                EXPECT_EQ(result.get(), 0);
                EXPECT_EQ(out, std::vector<std::uint8_t>(100, 0xEE));  // untouched
                break;
        }
    }
}

TEST_F(RingTest, NoCurrentComponentGivesNothing) {
    tea.reset();
    ASSERT_EQ(TGogoTea::CurrentGogoTea(), nullptr);
    std::uint8_t out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(TGogoTea::MemoryInputProc(out, 8), 0);
    EXPECT_EQ(out[0], 9);
}

TEST_F(RingTest, SetUpEmptiesTheRingAndClearsTheEnd) {
    const auto data = Pattern(64);
    ASSERT_TRUE(tea->WriteBuffer(data.data(), 64));
    ASSERT_TRUE(tea->WriteBuffer(nullptr, 0));
    tea->QuerySettings();
    std::vector<std::uint8_t> out(64);
    EXPECT_EQ(tea->ReadBufferEx(out.data(), 64), 0);
    // The end mark is gone too: the input function waits for data again.
    auto result =
        std::async(std::launch::async, [&] { return TGogoTea::MemoryInputProc(out.data(), 64); });
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(30)), std::future_status::timeout);
    ASSERT_TRUE(tea->WriteBuffer(data.data(), 64));
    EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(out, data);
}

// A producer thread feeds a whole stream while the worker pulls it through the library's
// frame steps: every byte arrives once, in order, and the last frame is padded.
TEST_F(RingTest, StreamFromAProducerThroughAnEncode) {
    constexpr std::size_t kTotal = 3000000;  // three times the ring, not a frame multiple
    const auto data = Pattern(kTotal, 9);
    tea->SetPriority(tpNormal);
    tea->SetFrequency(50);
    testsupport::EventLog events;
    events.Attach(*tea);
    tea->QuerySettings();
    tea->Execute();
    std::thread producer([&] {
        std::size_t at = 0;
        while (at < kTotal) {
            const std::size_t n = std::min<std::size_t>(70001, kTotal - at);
            if (tea->WriteBuffer(data.data() + at, static_cast<std::int32_t>(n))) {
                at += n;
            } else {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        tea->WriteBuffer(nullptr, 0);
    });
    ASSERT_TRUE(PumpUntil([&] { return !tea->IsEncoding(); }, std::chrono::seconds(60)));
    producer.join();
    EXPECT_EQ(events.events.back(), "finish false");
    const auto pulled = fakegogo::MemoryData();
    const std::size_t frames = (kTotal + 4607) / 4608;
    ASSERT_EQ(pulled.size(), frames * 4608);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), pulled.begin()));
    EXPECT_TRUE(std::all_of(pulled.begin() + kTotal, pulled.end(), [](auto b) { return b == 0; }));
}

}  // namespace
