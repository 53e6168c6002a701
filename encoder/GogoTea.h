#pragma once
// TGogoTea: the non-visual MP3 encoder component over libgogo (bound by binding/Gogodefs).
//
// The owner sets the properties, may hand over tag blocks, and starts an encode with
// Execute. The encode runs on the component's own worker thread (TEncodeThread); the
// worker reports through notifications posted to a hidden window that belongs to the
// thread that constructed the component, so the events fire there while that thread
// pumps its message queue (platform::PeekMessage/DispatchMessage, or a loop that sleeps
// in platform::WaitMessage: every change of IsEncoding arrives as a message, so an owner
// never needs to poll).
//
// Threads: construct, use and destroy a component on one thread (the owner's, normally
// the main thread); every method below belongs to that thread except WriteBuffer, which
// any thread may call, and MemoryInputProc, which the library calls on the worker.
//
// Two modes: file mode reads SourceFile (a WAV file); memory mode takes PCM bytes that
// the owner pushes into a 1 MiB ring with WriteBuffer (16-bit, 44.1 kHz, stereo), ended
// by WriteBuffer(nullptr, 0). In memory mode the owner calls QuerySettings before
// Execute; in file mode Execute does it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "libs/gogo/gogo.h"
#include "platform/Messages.h"
#include "platform/Thread.h"

namespace encoder {

class TGogoTea;
class TEncodeThread;

// Every error the component raises itself; its only content is the message.
class EGogoTeaError : public framework::Exception {
  public:
    using framework::Exception::Exception;
};

// The messages of EGogoTeaError.
inline constexpr const char* kMsgCannotInitDll = "GOGO.DLLを初期化できません.";
inline constexpr const char* kMsgBusy = "エンコード中に設定は変更できません.";
inline constexpr const char* kMsgOutOfRange = "値が範囲外です.";
inline constexpr const char* kMsgNoFpu = "FPUがありません";
inline constexpr const char* kMsgBadSettings = "設定に誤りがあります.";

// Enumerations: one byte each, numbered by their ordinals.
enum TEncodeMode : std::uint8_t { _FILE = 0, _MEMORY = 1 };
enum TEncodeType : std::uint8_t {
    _MONO = 0,
    _STEREO = 1,
    _JOINT = 2,
    _MSSTEREO = 3,
    _DUALCHANNEL = 4
};
enum TEmphasis : std::uint8_t { _NO_EMPH = 0, _5015MS_EMPH = 1, _CCITT_EMPH = 2 };
enum TUseUnit : std::uint8_t {
    _USE_MMX = 0,
    _USE_3DNOW = 1,
    _USE_KNI = 2,
    _USE_EX_3DNOW = 3,
    _USE_SPC1 = 4,
    _USE_SPC2 = 5
};
enum TEncodeFormat : std::uint8_t {
    _FORMAT_OF_MP3 = 0,
    _FORMAT_OF_RIFF_WAVE = 1,
    _FORMAT_OF_RIFF_RMP = 2
};

// A set of TUseUnit in one byte: bit n stands for the unit with ordinal n.
class TSetOfUseUnit {
  public:
    constexpr TSetOfUseUnit() = default;
    constexpr TSetOfUseUnit(std::initializer_list<TUseUnit> units) {
        for (TUseUnit u : units) Include(u);
    }
    static constexpr TSetOfUseUnit FromBits(std::uint8_t bits) {
        TSetOfUseUnit s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Contains(TUseUnit u) const { return (bits_ >> u) & 1u; }
    constexpr void Include(TUseUnit u) { bits_ = std::uint8_t(bits_ | (1u << u)); }
    constexpr void Exclude(TUseUnit u) { bits_ = std::uint8_t(bits_ & ~(1u << u)); }
    constexpr std::uint8_t Bits() const { return bits_; }
    friend constexpr bool operator==(TSetOfUseUnit, TSetOfUseUnit) = default;

  private:
    std::uint8_t bits_ = 0;
};

// The VCL's thread priority, tpIdle to tpTimeCritical.
using TThreadPriority = platform::ThreadPriority;
inline constexpr TThreadPriority tpIdle = platform::ThreadPriority::Idle;
inline constexpr TThreadPriority tpLowest = platform::ThreadPriority::Lowest;
inline constexpr TThreadPriority tpLower = platform::ThreadPriority::Lower;
inline constexpr TThreadPriority tpNormal = platform::ThreadPriority::Normal;
inline constexpr TThreadPriority tpHigher = platform::ThreadPriority::Higher;
inline constexpr TThreadPriority tpHighest = platform::ThreadPriority::Highest;
inline constexpr TThreadPriority tpTimeCritical = platform::ThreadPriority::TimeCritical;

// Setting groups. Their members are plain fields: writing one member stores any value;
// the range checks apply only when a whole group is assigned to the component
// (SetExtFilter, SetVBRBitrate, SetMSSetting).
struct TExtFilter {
    bool Enabled = false;
    std::int32_t Low = 0;
    std::int32_t High = 0;
    friend bool operator==(const TExtFilter&, const TExtFilter&) = default;
};
struct TVBRBitrate {
    bool Enabled = false;
    std::int32_t Low = 0;
    std::int32_t High = 0;
    friend bool operator==(const TVBRBitrate&, const TVBRBitrate&) = default;
};
struct TMSSetting {
    bool Enabled = false;
    std::int32_t Threshold = 0;
    std::int32_t Power = 0;
    friend bool operator==(const TMSSetting&, const TMSSetting&) = default;
};

// A block of tag bytes. The owner keeps its own memory; the component stores copies.
struct TTagInfoPac {
    std::int32_t Size = 0;
    std::uint8_t* Data = nullptr;
};
using PTagInfoPac = TTagInfoPac*;
// Declared for owners that describe RMP tags; no operation of the component takes it.
struct TRMPInfoTag;
using PRMPInfoTag = TRMPInfoTag*;

// Event slots; an empty slot fires nothing. Sender is always the component.
using TGogoTeaProgressEvent =
    std::function<void(TGogoTea* Sender, std::int32_t nowFrames, std::int32_t AllFrames)>;
using TGogoTeaEncodeError = std::function<void(TGogoTea* Sender, std::int32_t ErrorCode)>;
using TGogoTeaFinishEncode = std::function<void(TGogoTea* Sender, bool IsAborted)>;

class TGogoTea {
  public:
    // Binds libgogo (binding::InitGogoDefs), starts the worker and creates the
    // notification window; raises EGogoTeaError(kMsgCannotInitDll) when the library
    // cannot be bound. With `designing` (a form designer's instance) it binds nothing,
    // starts no worker and creates no window; the queries then give "" or 0.
    explicit TGogoTea(void* AOwner = nullptr, bool designing = false);
    // Stops the worker (closing the library if an encode runs), destroys the window and
    // gives back the library reference.
    ~TGogoTea();
    TGogoTea(const TGogoTea&) = delete;
    TGogoTea& operator=(const TGogoTea&) = delete;

    void* Owner() const { return owner_; }
    bool Designing() const { return designing_; }

    // Allocates the ring if needed, empties it, drops pending tags and puts every
    // property back to its default. Raises kMsgBusy while encoding.
    void Initialize();

    // Properties. Every writer but SetPriority raises EGogoTeaError(kMsgBusy) while
    // IsEncoding and then changes nothing; range checks raise kMsgOutOfRange.
    TThreadPriority Priority() const { return FPriority; }
    void SetPriority(TThreadPriority value);  // applies to the worker at once

    std::uint32_t UnitStates() { return GetUnitStates(); }
    std::string VersionString() { return GetVersionStr(); }
    std::uint32_t VersionCode() { return GetVersionCode(); }
    const std::string& DLLPath() const { return FDLLPath; }
    std::int32_t AllFrames() const { return FAllFrames; }

    std::int32_t Frequency() const { return FFrequency; }
    void SetFrequency(std::int32_t value);  // >= 1
    const std::string& SourceFile() const { return FSourceFile; }
    void SetSourceFile(const std::string& value);
    const std::string& DestinationFile() const { return FDestinationFile; }
    void SetDestFile(const std::string& value);
    bool IsEncoding() const { return FIsEncoding; }
    std::int32_t Processors() const { return FProcessors; }
    void SetProcessors(std::int32_t value);
    TEmphasis Emphasis() const { return FEmphasis; }
    void SetEmphasis(TEmphasis value);
    bool UsePsyAnalize() const { return FUsePsyAnalize; }
    void SetUsePsy(bool value);
    bool UseLPF() const { return FUseLPF; }
    void SetUseLPF16(bool value);
    bool UseVBR() const { return FUseVBR; }
    void SetUseVBR(bool value);
    std::int32_t VBRLevel() const { return FVBRLevel; }
    void SetVBRLevel(std::int32_t value);  // 0..9
    TSetOfUseUnit Optimization() const { return FOptimization; }
    void SetSetOfUseUnit(TSetOfUseUnit value);
    TEncodeFormat EncodeFormat() const { return FEncodeFormat; }
    void SetEncodeFormat(TEncodeFormat value);
    TEncodeMode EncodeMode() const { return FEncodeMode.load(); }
    void SetEncodeMode(TEncodeMode value);
    TEncodeType EncodeType() const { return FEncodeType; }
    void SetEncodeType(TEncodeType value);
    std::int32_t EncodeResult() const { return FEncodeResult; }
    std::int32_t BitRate() const { return FBitRate; }
    void SetBitrate(std::int32_t value);  // kbit/s; judged by the library at set-up

    // The groups: the reference allows member-wise writes without a check.
    TExtFilter& ExtFilter() { return FExtFilter; }
    const TExtFilter& ExtFilter() const { return FExtFilter; }
    void SetExtFilter(const TExtFilter& value);  // Low, High in 0..100
    TVBRBitrate& VBRBitrate() { return FVBRBitrate; }
    const TVBRBitrate& VBRBitrate() const { return FVBRBitrate; }
    void SetVBRBitrate(const TVBRBitrate& value);  // Low, High >= 0
    TMSSetting& MSSetting() { return FMSSetting; }
    const TMSSetting& MSSetting() const { return FMSSetting; }
    void SetMSSetting(const TMSSetting& value);  // Threshold, Power in 0..100

    // Events, fired on the owner's thread while it pumps its queue.
    TGogoTeaProgressEvent OnProgress;
    TGogoTeaEncodeError OnError;
    TGogoTeaFinishEncode OnFinish;

    // Tag store. Both raise kMsgOutOfRange for Size <= 0 or null Data; both copy.
    // RMP tags reach the library with a RIFF format, the ID3 block with MP3; the next
    // set-up drops them all either way.
    void AddRmpTagInfo(const TTagInfoPac& Tag);
    void SetID3TagInfo(const TTagInfoPac& Tag);
    void DisposeTags();
    std::size_t PendingRmpTags() const { return FRmpTags.size(); }
    const TTagInfoPac& PendingID3Tag() const { return FID3Tag; }

    // Library queries, asked anew at every call ("" or 0 when the library refuses, and
    // in design mode).
    std::string GetVersionStr();
    std::uint32_t GetVersionCode();
    std::uint32_t GetUnitStates();

    // Direct calls of one entry point each, returning its status unchanged (-1 in design
    // mode or while no library is bound). Nothing guards them against a running encode.
    std::int32_t EncodeFrames();
    std::int32_t CloseEncoder();
    std::int32_t EndEncoder();
    std::int32_t DetectConfigure();
    std::int32_t GetConfigure(std::int32_t code, void* pointer);
    std::int32_t SetConfigure(std::int32_t code, std::intptr_t value1, std::intptr_t value2);

    // Hands every setting to the library and lets it judge them. Raises kMsgBusy while
    // encoding or already configured, kMsgNoFpu, or kMsgBadSettings. If the worker is
    // still closing the library after an error, waits (briefly, blocking) until it has.
    void QuerySettings();
    // File mode: QuerySettings, then starts the worker. Memory mode: starts the worker
    // on the set-up the owner made with QuerySettings. IsEncoding is true on return.
    void Execute();
    // Asks the worker to stop; nothing unless IsEncoding. OnFinish(true) follows.
    void AbortEncode();

    // Memory-mode ring (1 MiB). Outside memory mode WriteBuffer and ReadBuffer return
    // true and ReadBufferEx returns 0, doing nothing. Any thread.
    // WriteBuffer stores all Size bytes or nothing (the ring holds at most 1,048,574);
    // WriteBuffer(nullptr, n) marks the end of the input.
    bool WriteBuffer(const void* Buffer, std::int32_t Size);
    // Exactly Size bytes or nothing.
    bool ReadBuffer(void* Buffer, std::int32_t Size);
    // What is there, up to Size; the rest of Buffer is zero-filled. Returns the count.
    std::int32_t ReadBufferEx(void* Buffer, std::int32_t Size);
    // The library's input function in memory mode (worker thread): serves the most
    // recently constructed live component, waiting in 1 ms steps for data. 0 = buffer
    // filled, 1 = no more input.
    static std::int32_t MemoryInputProc(void* Buffer, std::int32_t Size);

    // The component memory mode serves (null when none; cleared when it is destroyed).
    static TGogoTea* CurrentGogoTea();

  private:
    void CheckNotEncoding() const;
    void CheckOwnerThread() const;
    void PassSettings();
    platform::LResult WndProc(std::uint32_t message, platform::WParam wParam,
                              platform::LParam lParam);
    void OnEncodeError(platform::WParam wParam, platform::LParam lParam);
    void OnFinishEncode(platform::WParam wParam, platform::LParam lParam);
    void OnProgressStatus(platform::WParam wParam, platform::LParam lParam);

    void* owner_ = nullptr;
    bool designing_ = false;
    platform::ThreadId ownerThread_ = 0;

    std::unique_ptr<TEncodeThread> FThread;
    std::string FSourceFile;
    std::string FDestinationFile;
    bool FIsEncoding = false;
    bool FConfigured = false;
    std::int32_t FProcessors = 0;
    TEmphasis FEmphasis = _NO_EMPH;
    TSetOfUseUnit FOptimization;
    TEncodeType FEncodeType = _MONO;
    std::int32_t FEncodeResult = 0;
    std::int32_t FBitRate = 0;
    platform::HWnd FWnd = 0;
    std::int32_t FAllFrames = 0;
    std::int32_t FFrequency = 0;
    bool FUsePsyAnalize = false;
    bool FUseLPF = false;
    bool FUseVBR = false;
    std::int32_t FVBRLevel = 0;
    TThreadPriority FPriority = tpIdle;
    std::int32_t FBufferSize = 0;
    std::string FDLLPath;
    std::int32_t FWritePos = 0;
    std::int32_t FReadPos = 0;
    std::unique_ptr<std::uint8_t[]> FBuffer;
    mutable std::mutex FLock;
    // Read by WriteBuffer, which any thread may call.
    std::atomic<TEncodeMode> FEncodeMode{_FILE};
    TEncodeFormat FEncodeFormat = _FORMAT_OF_MP3;
    std::vector<std::unique_ptr<std::uint8_t[]>> FRmpTagData;
    std::vector<TTagInfoPac> FRmpTags;
    std::unique_ptr<std::uint8_t[]> FID3TagData;
    TTagInfoPac FID3Tag;
    TExtFilter FExtFilter;
    TVBRBitrate FVBRBitrate;
    TMSSetting FMSSetting;
    std::atomic<bool> FAlive{false};
    std::atomic<bool> FEndOfInput{false};

    // Every start carries the next serial number; the worker echoes the serial of the
    // encode it reports on, so a notification left over from an earlier encode fires its
    // event but never changes the state of the current one.
    std::uint32_t startSerial_ = 0;
    // The record handed to the library with setting code 1 in memory mode; it stays valid
    // until the next set-up, whatever the library keeps of it.
    MPGE_MEMORY_INPUT memoryInput_{};
};

}  // namespace encoder
