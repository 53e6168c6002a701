// TGogoTea over the stand-in library: defaults, writer checks, tags, queries and the
// set-up's setting codes.

#include "encoder/GogoTea.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <tuple>

#include "binding/Gogodefs.h"
#include "tests/encoder/FakeGogo.h"
#include "tests/encoder/TestSupport.h"

using namespace encoder;
using testsupport::PumpUntil;

namespace {

#define EXPECT_GOGO_ERROR(stmt, message)                 \
    do {                                                 \
        try {                                            \
            stmt;                                        \
            ADD_FAILURE() << "no EGogoTeaError: " #stmt; \
        } catch (const EGogoTeaError& e) {               \
            EXPECT_STREQ(e.what(), message) << #stmt;    \
        }                                                \
    } while (0)

class GogoTeaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fakegogo::Reset();
        tea = std::make_unique<TGogoTea>();
        tea->SetPriority(tpNormal);
        tea->SetSourceFile("/in/take.wav");
        tea->SetDestFile("/out/take.mp3");
        fakegogo::ClearLog();
    }
    void TearDown() override {
        if (tea && tea->IsEncoding()) {
            tea->AbortEncode();
            PumpUntil([&] { return !tea->IsEncoding(); });
        }
        tea.reset();
    }
    // Starts an encode that runs until aborted.
    void StartEndlessEncode() {
        fakegogo::SetFrames({}, 0);
        fakegogo::SetFrameDelayMicroseconds(500);
        tea->Execute();
        ASSERT_TRUE(tea->IsEncoding());
    }

    std::unique_ptr<TGogoTea> tea;
};

TEST_F(GogoTeaTest, NewComponentHasItsDefaults) {
    TGogoTea t;
    EXPECT_EQ(t.BitRate(), 128);
    EXPECT_EQ(t.EncodeType(), _JOINT);
    EXPECT_EQ(t.Frequency(), 100);
    EXPECT_EQ(t.VBRLevel(), 5);
    EXPECT_EQ(t.Priority(), tpIdle);
    EXPECT_EQ(t.Processors(), 1);
    EXPECT_EQ(t.Emphasis(), _NO_EMPH);
    EXPECT_FALSE(t.UsePsyAnalize());
    EXPECT_FALSE(t.UseLPF());
    EXPECT_FALSE(t.UseVBR());
    EXPECT_EQ(t.Optimization(), (TSetOfUseUnit{_USE_MMX, _USE_3DNOW, _USE_KNI, _USE_EX_3DNOW}));
    EXPECT_EQ(t.Optimization().Bits(), 0x0F);
    EXPECT_EQ(t.EncodeFormat(), _FORMAT_OF_MP3);
    EXPECT_EQ(t.EncodeMode(), _FILE);
    EXPECT_EQ(t.SourceFile(), "");
    EXPECT_EQ(t.DestinationFile(), "");
    EXPECT_EQ(t.DLLPath(), binding::GogoDLLPath);
    EXPECT_EQ(t.AllFrames(), 0);
    EXPECT_EQ(t.EncodeResult(), 0);
    EXPECT_FALSE(t.IsEncoding());
    EXPECT_EQ(t.ExtFilter(), (TExtFilter{false, 55, 70}));
    EXPECT_EQ(t.VBRBitrate(), (TVBRBitrate{false, 40, 128}));
    EXPECT_EQ(t.MSSetting(), (TMSSetting{false, 75, 66}));
}

TEST_F(GogoTeaTest, WriterChecks) {
    struct Case {
        const char* name;
        std::function<void(TGogoTea&)> write;
        bool accepted;
        std::function<bool(const TGogoTea&)> holds;  // afterwards
    };
    const Case cases[] = {
        {"Frequency 0", [](TGogoTea& t) { t.SetFrequency(0); }, false,
         [](const TGogoTea& t) { return t.Frequency() == 100; }},
        {"Frequency 1", [](TGogoTea& t) { t.SetFrequency(1); }, true,
         [](const TGogoTea& t) { return t.Frequency() == 1; }},
        {"VBRLevel 10", [](TGogoTea& t) { t.SetVBRLevel(10); }, false,
         [](const TGogoTea& t) { return t.VBRLevel() == 5; }},
        {"VBRLevel -1", [](TGogoTea& t) { t.SetVBRLevel(-1); }, false,
         [](const TGogoTea& t) { return t.VBRLevel() == 5; }},
        {"VBRLevel 9", [](TGogoTea& t) { t.SetVBRLevel(9); }, true,
         [](const TGogoTea& t) { return t.VBRLevel() == 9; }},
        {"MSSetting Threshold 101",
         [](TGogoTea& t) {
             t.SetMSSetting({true, 101, 50});
         },
         false,
         [](const TGogoTea& t) {
             return t.MSSetting() == TMSSetting{false, 75, 66};
         }},
        {"MSSetting 100 and 0",
         [](TGogoTea& t) {
             t.SetMSSetting({true, 100, 0});
         },
         true,
         [](const TGogoTea& t) {
             return t.MSSetting() == TMSSetting{true, 100, 0};
         }},
        {"ExtFilter High 101",
         [](TGogoTea& t) {
             t.SetExtFilter({true, 0, 101});
         },
         false,
         [](const TGogoTea& t) {
             return t.ExtFilter() == TExtFilter{false, 55, 70};
         }},
        {"ExtFilter Low -1",
         [](TGogoTea& t) {
             t.SetExtFilter({true, -1, 10});
         },
         false,
         [](const TGogoTea& t) {
             return t.ExtFilter() == TExtFilter{false, 55, 70};
         }},
        {"ExtFilter.Low 200 member-wise", [](TGogoTea& t) { t.ExtFilter().Low = 200; }, true,
         [](const TGogoTea& t) {
             return t.ExtFilter() == TExtFilter{false, 200, 70};
         }},
        {"VBRBitrate Low -1",
         [](TGogoTea& t) {
             t.SetVBRBitrate({true, -1, 320});
         },
         false,
         [](const TGogoTea& t) {
             return t.VBRBitrate() == TVBRBitrate{false, 40, 128};
         }},
        {"VBRBitrate 0 and 999",
         [](TGogoTea& t) {
             t.SetVBRBitrate({true, 0, 999});
         },
         true,
         [](const TGogoTea& t) {
             return t.VBRBitrate() == TVBRBitrate{true, 0, 999};
         }},
        {"BitRate 100 (judged by the library)", [](TGogoTea& t) { t.SetBitrate(100); }, true,
         [](const TGogoTea& t) { return t.BitRate() == 100; }},
    };
    for (const Case& c : cases) {
        TGogoTea t;
        if (c.accepted) {
            EXPECT_NO_THROW(c.write(t)) << c.name;
        } else {
            EXPECT_GOGO_ERROR(c.write(t), kMsgOutOfRange);
        }
        EXPECT_TRUE(c.holds(t)) << c.name;
    }
}

TEST_F(GogoTeaTest, WritersRefuseWhileEncodingButPriorityApplies) {
    StartEndlessEncode();
    const std::function<void(TGogoTea&)> writers[] = {
        [](TGogoTea& t) { t.SetFrequency(5); },
        [](TGogoTea& t) { t.SetSourceFile("x"); },
        [](TGogoTea& t) { t.SetDestFile("x"); },
        [](TGogoTea& t) { t.SetProcessors(2); },
        [](TGogoTea& t) { t.SetEmphasis(_CCITT_EMPH); },
        [](TGogoTea& t) { t.SetUsePsy(true); },
        [](TGogoTea& t) { t.SetUseLPF16(true); },
        [](TGogoTea& t) { t.SetUseVBR(true); },
        [](TGogoTea& t) { t.SetVBRLevel(1); },
        [](TGogoTea& t) { t.SetSetOfUseUnit({}); },
        [](TGogoTea& t) { t.SetEncodeFormat(_FORMAT_OF_RIFF_WAVE); },
        [](TGogoTea& t) { t.SetEncodeMode(_MEMORY); },
        [](TGogoTea& t) { t.SetEncodeType(_MONO); },
        [](TGogoTea& t) { t.SetBitrate(320); },
        [](TGogoTea& t) {
            t.SetExtFilter({true, 1, 2});
        },
        [](TGogoTea& t) {
            t.SetVBRBitrate({true, 1, 2});
        },
        [](TGogoTea& t) {
            t.SetMSSetting({true, 1, 2});
        },
        [](TGogoTea& t) { t.Initialize(); },
        [](TGogoTea& t) { t.QuerySettings(); },
    };
    for (const auto& write : writers) EXPECT_GOGO_ERROR(write(*tea), kMsgBusy);
    EXPECT_EQ(tea->Frequency(), 100);
    EXPECT_EQ(tea->SourceFile(), "/in/take.wav");
    EXPECT_EQ(tea->BitRate(), 128);
    EXPECT_EQ(tea->EncodeMode(), _FILE);

    // Priority changes during the encode and reaches the worker at once.
    tea->SetPriority(tpLower);
    EXPECT_EQ(tea->Priority(), tpLower);
    const std::size_t seen = fakegogo::Log().size();
    ASSERT_TRUE(PumpUntil([&] {
        const auto log = fakegogo::Log();
        for (std::size_t i = seen; i < log.size(); ++i)
            if (log[i].name == "processFrame" && log[i].nice == 5) return true;
        return false;
    }));
}

TEST_F(GogoTeaTest, TagsAreCopiedCheckedAndReplaced) {
    std::uint8_t none = 0;
    EXPECT_GOGO_ERROR(tea->AddRmpTagInfo({0, &none}), kMsgOutOfRange);
    EXPECT_GOGO_ERROR(tea->AddRmpTagInfo({4, nullptr}), kMsgOutOfRange);
    EXPECT_GOGO_ERROR(tea->SetID3TagInfo({-1, &none}), kMsgOutOfRange);
    EXPECT_EQ(tea->PendingRmpTags(), 0u);

    for (const char* text : {"first", "second"}) {
        auto block = std::make_unique<std::uint8_t[]>(16);
        std::memcpy(block.get(), text, std::strlen(text));
        tea->AddRmpTagInfo({static_cast<std::int32_t>(std::strlen(text)), block.get()});
        std::memset(block.get(), 'X', 16);  // the caller's block may change or go at once
    }
    ASSERT_EQ(tea->PendingRmpTags(), 2u);

    std::uint8_t a[] = {'a', 'a'}, b[] = {'b', 'b', 'b'};
    tea->SetID3TagInfo({2, a});
    tea->SetID3TagInfo({3, b});
    EXPECT_EQ(tea->PendingID3Tag().Size, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(tea->PendingID3Tag().Data), 3), "bbb");
    EXPECT_NE(tea->PendingID3Tag().Data, b);

    tea->DisposeTags();
    EXPECT_EQ(tea->PendingRmpTags(), 0u);
    EXPECT_EQ(tea->PendingID3Tag().Size, 0);
    EXPECT_EQ(tea->PendingID3Tag().Data, nullptr);
}

TEST_F(GogoTeaTest, QueriesAskTheLibraryEveryTime) {
    fakegogo::SetVersion(0x0230, "fake 2.48");
    fakegogo::SetUnits(0x0A);
    EXPECT_EQ(tea->VersionString(), "fake 2.48");
    EXPECT_EQ(tea->VersionCode(), 0x0230u);
    EXPECT_EQ(tea->UnitStates(), 0x0Au);
    fakegogo::SetVersion(0x0231, "changed", 0);
    EXPECT_EQ(tea->VersionCode(), 0x0231u);
    fakegogo::SetVersion(0x0231, "refused", 2);
    fakegogo::SetUnits(0xFF, 1);
    EXPECT_EQ(tea->VersionString(), "");
    EXPECT_EQ(tea->VersionCode(), 0u);
    EXPECT_EQ(tea->UnitStates(), 0u);
}

TEST_F(GogoTeaTest, DesignModeBindsNothing) {
    fakegogo::ClearLog();
    const std::int32_t refs = binding::GogoDLLRefCount;
    {
        TGogoTea t(nullptr, /*designing=*/true);
        EXPECT_EQ(binding::GogoDLLRefCount, refs);
        EXPECT_EQ(t.VersionString(), "");
        EXPECT_EQ(t.VersionCode(), 0u);
        EXPECT_EQ(t.UnitStates(), 0u);
        EXPECT_EQ(t.DLLPath(), "");
        EXPECT_EQ(TGogoTea::CurrentGogoTea(), nullptr);
        t.QuerySettings();
        t.Execute();
        EXPECT_FALSE(t.IsEncoding());
    }
    EXPECT_TRUE(fakegogo::Log().empty());
    EXPECT_EQ(binding::GogoDLLRefCount, refs);
}

TEST_F(GogoTeaTest, CurrentComponentIsTheNewestLiveOne) {
    EXPECT_EQ(TGogoTea::CurrentGogoTea(), tea.get());
    {
        TGogoTea second;
        EXPECT_EQ(TGogoTea::CurrentGogoTea(), &second);
        EXPECT_EQ(binding::GogoDLLRefCount, 2);
    }
    // Destroying the current one clears the pointer instead of leaving it dangling.
    EXPECT_EQ(TGogoTea::CurrentGogoTea(), nullptr);
    EXPECT_EQ(binding::GogoDLLRefCount, 1);
}

TEST(GogoTeaNoLibraryTest, ConstructionFailsWithoutALoadableLibrary) {
    const std::string saved = binding::GogoDLLName;
    binding::GogoDLLName = "libtovanek-no-such-gogo.so";
    ASSERT_EQ(binding::GogoDLLRefCount, 0);  // no component of another test is alive
    EXPECT_GOGO_ERROR(TGogoTea t, kMsgCannotInitDll);
    EXPECT_EQ(binding::GogoDLLRefCount, 0);
    binding::GogoDLLName = saved;
}

// ---- The set-up ----

using Codes = std::vector<std::vector<std::intptr_t>>;

// Setting codes with the pointer values blanked, for comparison.
Codes Blanked() {
    Codes out = fakegogo::SettingCodes();
    for (auto& c : out) {
        if (c[0] == 1 || c[0] == 2 || c[0] == 16 || c[0] == 27) c[2] = 0;
    }
    return out;
}

Codes DefaultCodes() {
    return {{1, 0, 0},  {2, 0, 0},  {8, 0, 0},  {4, 128, 0}, {9, 0, 0},  {10, 1, 0}, {11, 1, 0},
            {12, 1, 0}, {13, 1, 0}, {14, 0, 0}, {15, 0, 0},  {17, 0, 0}, {3, 2, 0},  {19, 1, 0}};
}

Codes With(Codes base, const Codes& tail) {
    base.insert(base.end(), tail.begin(), tail.end());
    return base;
}

TEST_F(GogoTeaTest, SetUpPassesTheSettingCodesInOrder) {
    struct Case {
        const char* name;
        std::uint32_t version;
        std::uint32_t units;
        std::function<void(TGogoTea&)> configure;
        Codes expected;
    };
    std::uint8_t tagBytes[] = {'r', 'm', 'p'};
    const Case cases[] = {
        {"defaults, neither gate", 0, 0x2E, [](TGogoTea&) {}, DefaultCodes()},
        {"unit bits 0", 0, 0, [](TGogoTea&) {},
         [] {
             Codes c = DefaultCodes();
             for (int i = 5; i <= 8; ++i) c[i][1] = 0;
             return c;
         }()},
        {"units MMX and EX_3DNOW only, SPC1 and SPC2 as given", 0, 0x22,
         [](TGogoTea& t) { t.SetSetOfUseUnit(TSetOfUseUnit::FromBits(0x3F)); },
         [] {
             Codes c = DefaultCodes();
             c[5][1] = 1, c[6][1] = 0, c[7][1] = 0, c[8][1] = 1, c[9][1] = 1, c[10][1] = 1;
             return c;
         }()},
        {"emphasis CCITT passes 3", 0, 0x2E, [](TGogoTea& t) { t.SetEmphasis(_CCITT_EMPH); },
         [] {
             Codes c = DefaultCodes();
             c[11][1] = 3;
             return c;
         }()},
        {"emphasis 50/15 passes 1", 0, 0x2E, [](TGogoTea& t) { t.SetEmphasis(_5015MS_EMPH); },
         [] {
             Codes c = DefaultCodes();
             c[11][1] = 1;
             return c;
         }()},
        {"VBR off: no 18 and no 30 under gate A", 0x0230, 0x2E,
         [](TGogoTea& t) {
             t.SetVBRBitrate({true, 64, 256});
         },
         With(DefaultCodes(), {{26, 0, 0}})},
        {"VBR on under gate A", 0x0230, 0x2E,
         [](TGogoTea& t) {
             t.SetUseVBR(true);
             t.SetVBRLevel(7);
             t.SetVBRBitrate({true, 64, 256});
         },
         [] {
             Codes c = DefaultCodes();
             c.insert(c.begin() + 5, {18, 7, 0});
             return With(c, {{30, 64, 256}, {26, 0, 0}});
         }()},
        {"ExtFilter and MSSetting under gate A", 0x0230, 0x2E,
         [](TGogoTea& t) {
             t.ExtFilter().Enabled = true;
             t.MSSetting().Enabled = true;
         },
         With(DefaultCodes(), {{31, 55, 70}, {32, 75, 66}, {26, 0, 0}})},
        {"ExtFilter below gate A, gate B holds", 0x022F, 0x2E,
         [](TGogoTea& t) { t.ExtFilter().Enabled = true; }, With(DefaultCodes(), {{26, 0, 0}})},
        {"gate A needs the major part", 0x0130, 0x2E,
         [](TGogoTea& t) { t.ExtFilter().Enabled = true; }, DefaultCodes()},
        {"ID3 block with MP3 under gate B", 0x0226, 0x2E,
         [&](TGogoTea& t) {
             t.SetID3TagInfo({3, tagBytes});
         },
         With(DefaultCodes(), {{26, 0, 0}, {16, 3, 0}})},
        {"RIFF WAVE under gate B", 0x0226, 0x2E,
         [](TGogoTea& t) { t.SetEncodeFormat(_FORMAT_OF_RIFF_WAVE); },
         With(DefaultCodes(), {{26, 1, 0}})},
        {"RIFF RMP with three tags under gate B", 0x0226, 0x2E,
         [&](TGogoTea& t) {
             t.SetEncodeFormat(_FORMAT_OF_RIFF_RMP);
             t.SetID3TagInfo({3, tagBytes});
             for (std::int32_t n = 1; n <= 3; ++n) t.AddRmpTagInfo({n, tagBytes});
         },
         With(DefaultCodes(), {{26, 2, 0}, {27, 1, 0}, {27, 2, 0}, {27, 3, 0}})},
        {"tags dropped when gate B fails", 0x0225, 0x2E,
         [&](TGogoTea& t) {
             t.SetEncodeFormat(_FORMAT_OF_RIFF_RMP);
             t.AddRmpTagInfo({3, tagBytes});
             t.SetID3TagInfo({3, tagBytes});
         },
         DefaultCodes()},
        {"memory mode", 0, 0x2E, [](TGogoTea& t) { t.SetEncodeMode(_MEMORY); },
         [] {
             Codes c = DefaultCodes();
             c[0] = {1, 2, 0};
             return c;
         }()},
        {"channel mode, bit rate, processors, psy, LPF", 0, 0x2E,
         [](TGogoTea& t) {
             t.SetEncodeType(_DUALCHANNEL);
             t.SetBitrate(320);
             t.SetProcessors(2);
             t.SetUsePsy(true);
             t.SetUseLPF16(true);
         },
         [] {
             Codes c = DefaultCodes();
             c[2][1] = 1, c[3][1] = 320, c[4][1] = 1, c[12][1] = 4, c[13][1] = 2;
             return c;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakegogo::Reset();
        fakegogo::SetVersion(c.version, "fake");
        fakegogo::SetUnits(c.units);
        fakegogo::SetAllFrames(321);
        TGogoTea t;
        t.SetSourceFile("/in/take.wav");
        t.SetDestFile("/out/take.mp3");
        c.configure(t);
        fakegogo::ClearLog();
        t.QuerySettings();

        EXPECT_EQ(Blanked(), c.expected);
        const auto log = fakegogo::Log();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log.front().name, "initializeWork");
        EXPECT_EQ(log[log.size() - 2].name, "detectConfigure");
        EXPECT_EQ(log.back().name, "getConfigure");
        EXPECT_EQ(log.back().code, 15);
        EXPECT_EQ(t.AllFrames(), 321);
        EXPECT_EQ(t.EncodeResult(), 0);
        EXPECT_EQ(t.PendingRmpTags(), 0u);
        EXPECT_EQ(t.PendingID3Tag().Size, 0);
        for (const auto& call : log) {
            if (call.name != "setConfigure") continue;
            if (call.code == 1 && call.value1 == 0) {
                EXPECT_EQ(call.text, "/in/take.wav");
            }
            if (call.code == 1 && call.value1 == 2) {
                EXPECT_EQ(call.text, "-1,16,44100,2");
            }
            if (call.code == 2) {
                EXPECT_EQ(call.text, "/out/take.mp3");
            }
            if (call.code == 27 || call.code == 16) {
                EXPECT_EQ(call.text, std::string("rmp").substr(0, call.value1));
            }
        }
        EXPECT_GOGO_ERROR(t.QuerySettings(), kMsgBusy);  // configured already
    }
}

TEST_F(GogoTeaTest, SetUpFailures) {
    std::uint8_t tag[] = {1, 2};
    fakegogo::SetInitializeStatus(3);
    tea->AddRmpTagInfo({2, tag});
    EXPECT_GOGO_ERROR(tea->QuerySettings(), kMsgNoFpu);
    EXPECT_EQ(tea->EncodeResult(), 3);
    EXPECT_TRUE(fakegogo::SettingCodes().empty());
    EXPECT_EQ(tea->PendingRmpTags(), 1u);

    fakegogo::SetInitializeStatus(0);
    fakegogo::SetDetectStatus(5);
    EXPECT_GOGO_ERROR(tea->QuerySettings(), kMsgBadSettings);
    EXPECT_EQ(tea->EncodeResult(), 5);
    EXPECT_EQ(tea->PendingRmpTags(), 0u);

    fakegogo::SetDetectStatus(fakegogo::kThrow);
    EXPECT_GOGO_ERROR(tea->QuerySettings(), kMsgBadSettings);  // not refused as configured
    EXPECT_EQ(tea->EncodeResult(), 10);

    // Execute in file mode passes the refusal on and starts nothing.
    fakegogo::ClearLog();
    EXPECT_GOGO_ERROR(tea->Execute(), kMsgBadSettings);
    EXPECT_FALSE(tea->IsEncoding());
    testsupport::PumpFor(std::chrono::milliseconds(150));
    for (const auto& call : fakegogo::Log()) EXPECT_NE(call.name, "processFrame");
}

TEST_F(GogoTeaTest, AbortWhileIdlePostsNothing) {
    testsupport::EventLog events;
    events.Attach(*tea);
    tea->AbortEncode();
    testsupport::PumpFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(events.events.empty());
}

}  // namespace
