#include "encoder/GogoTea.h"

#include <cassert>
#include <cstring>

#include "binding/Gogodefs.h"
#include "encoder/EncodeThread.h"

namespace encoder {
namespace {

constexpr std::int32_t kRingSize = 0x100000;
constexpr std::int32_t kRingMask = 0xFFFFF;

// The component memory mode serves. The input function holds gCurrentLock for each look
// at the component, and a destructor clears the pointer under it, so a callback never
// reaches a component that is being destroyed. Lock order: gCurrentLock, then FLock.
std::mutex gCurrentLock;
TGogoTea* gCurrentGogoTea = nullptr;

void SetCurrent(TGogoTea* component) {
    std::lock_guard lock(gCurrentLock);
    gCurrentGogoTea = component;
}

// Version gates on the library's version code.
bool GateA(std::uint32_t code) {
    return (code & 0xFF00) >= 0x200 && (code & 0xFF) >= 0x30;
}
bool GateB(std::uint32_t code) {
    return (code & 0xFF00) >= 0x200 && (code & 0xFF) >= 0x26;
}

std::intptr_t Flag(bool b) {
    return b ? 1 : 0;
}

}  // namespace

TGogoTea* TGogoTea::CurrentGogoTea() {
    std::lock_guard lock(gCurrentLock);
    return gCurrentGogoTea;
}

TGogoTea::TGogoTea(void* AOwner, bool designing)
    : owner_(AOwner), designing_(designing), ownerThread_(platform::CurrentThreadId()) {
    FBufferSize = kRingSize;
    SetCurrent(nullptr);
    FEndOfInput.store(false);
    Initialize();
    if (designing_) return;

    if (!binding::InitGogoDefs()) throw EGogoTeaError(kMsgCannotInitDll);
    try {
        FDLLPath = binding::GogoDLLPath;
        FThread = std::make_unique<TEncodeThread>();
        FWnd = platform::AllocateHWnd(
            [this](std::uint32_t message, platform::WParam wParam, platform::LParam lParam) {
                return WndProc(message, wParam, lParam);
            });
        FThread->SetNotifyWnd(FWnd);
    } catch (...) {
        FThread.reset();
        if (FWnd != 0) platform::DeallocateHWnd(FWnd);
        binding::DeallocateGogoDLL();
        throw;
    }
    SetCurrent(this);
    FAlive.store(true);
    FThread->Resume();
}

TGogoTea::~TGogoTea() {
    FAlive.store(false);
    {
        std::lock_guard lock(gCurrentLock);
        if (gCurrentGogoTea == this) gCurrentGogoTea = nullptr;
    }
    if (!designing_) {
        if (FThread) {
            platform::PostThreadMessage(FThread->ThreadID(), TM_THREAD_QUIT, 0, 0);
            FThread->Terminate();
            FThread->WaitFor();
            FThread.reset();
        }
        platform::DeallocateHWnd(FWnd);
        FWnd = 0;
        binding::DeallocateGogoDLL();
    }
    DisposeTags();
}

void TGogoTea::CheckOwnerThread() const {
    assert(platform::CurrentThreadId() == ownerThread_ && "TGogoTea used off its owner thread");
}

void TGogoTea::CheckNotEncoding() const {
    CheckOwnerThread();
    if (FIsEncoding) throw EGogoTeaError(kMsgBusy);
}

void TGogoTea::Initialize() {
    // Refused before anything is touched: emptying the ring of a running memory-mode
    // encode would lose its input.
    CheckNotEncoding();
    {
        std::lock_guard lock(FLock);
        if (!FBuffer) FBuffer = std::make_unique<std::uint8_t[]>(FBufferSize);
        DisposeTags();
        FReadPos = 0;
        FWritePos = 0;
        FEndOfInput.store(false);
    }
    SetBitrate(128);
    SetEncodeType(_JOINT);
    SetSetOfUseUnit({_USE_MMX, _USE_3DNOW, _USE_KNI, _USE_EX_3DNOW});
    SetEmphasis(_NO_EMPH);
    SetProcessors(1);
    SetUsePsy(false);
    SetUseLPF16(false);
    SetUseVBR(false);
    SetVBRLevel(5);
    SetDestFile("");
    SetSourceFile("");
    SetPriority(tpIdle);
    SetFrequency(100);
    SetEncodeMode(_FILE);
    SetEncodeFormat(_FORMAT_OF_MP3);
    FAllFrames = 0;
    FExtFilter = {false, 55, 70};
    FVBRBitrate = {false, 40, 128};
    FMSSetting = {false, 75, 66};
    FEncodeResult = 0;
}

// ---- Property writers ----

void TGogoTea::SetPriority(TThreadPriority value) {
    CheckOwnerThread();
    FPriority = value;
    if (!designing_ && FThread) FThread->SetPriority(value);
}

void TGogoTea::SetFrequency(std::int32_t value) {
    CheckNotEncoding();
    if (value < 1) throw EGogoTeaError(kMsgOutOfRange);
    FFrequency = value;
}

void TGogoTea::SetSourceFile(const std::string& value) {
    CheckNotEncoding();
    FSourceFile = value;
}

void TGogoTea::SetDestFile(const std::string& value) {
    CheckNotEncoding();
    FDestinationFile = value;
}

void TGogoTea::SetProcessors(std::int32_t value) {
    CheckNotEncoding();
    FProcessors = value;
}

void TGogoTea::SetEmphasis(TEmphasis value) {
    CheckNotEncoding();
    FEmphasis = value;
}

void TGogoTea::SetUsePsy(bool value) {
    CheckNotEncoding();
    FUsePsyAnalize = value;
}

void TGogoTea::SetUseLPF16(bool value) {
    CheckNotEncoding();
    FUseLPF = value;
}

void TGogoTea::SetUseVBR(bool value) {
    CheckNotEncoding();
    FUseVBR = value;
}

void TGogoTea::SetVBRLevel(std::int32_t value) {
    CheckNotEncoding();
    if (value < 0 || value > 9) throw EGogoTeaError(kMsgOutOfRange);
    FVBRLevel = value;
}

void TGogoTea::SetSetOfUseUnit(TSetOfUseUnit value) {
    CheckNotEncoding();
    FOptimization = value;
}

void TGogoTea::SetEncodeFormat(TEncodeFormat value) {
    CheckNotEncoding();
    FEncodeFormat = value;
}

void TGogoTea::SetEncodeMode(TEncodeMode value) {
    CheckNotEncoding();
    FEncodeMode.store(value);
}

void TGogoTea::SetEncodeType(TEncodeType value) {
    CheckNotEncoding();
    FEncodeType = value;
}

void TGogoTea::SetBitrate(std::int32_t value) {
    CheckNotEncoding();
    FBitRate = value;
}

void TGogoTea::SetExtFilter(const TExtFilter& value) {
    CheckNotEncoding();
    if (value.Low < 0 || value.Low > 100 || value.High < 0 || value.High > 100)
        throw EGogoTeaError(kMsgOutOfRange);
    FExtFilter = value;
}

void TGogoTea::SetVBRBitrate(const TVBRBitrate& value) {
    CheckNotEncoding();
    if (value.Low < 0 || value.High < 0) throw EGogoTeaError(kMsgOutOfRange);
    FVBRBitrate = value;
}

void TGogoTea::SetMSSetting(const TMSSetting& value) {
    CheckNotEncoding();
    if (value.Threshold < 0 || value.Threshold > 100 || value.Power < 0 || value.Power > 100)
        throw EGogoTeaError(kMsgOutOfRange);
    FMSSetting = value;
}

// ---- Tag store ----

void TGogoTea::AddRmpTagInfo(const TTagInfoPac& Tag) {
    CheckOwnerThread();
    if (Tag.Size <= 0 || Tag.Data == nullptr) throw EGogoTeaError(kMsgOutOfRange);
    auto block = std::make_unique<std::uint8_t[]>(Tag.Size);
    std::memcpy(block.get(), Tag.Data, Tag.Size);
    FRmpTags.push_back({Tag.Size, block.get()});
    FRmpTagData.push_back(std::move(block));
}

void TGogoTea::SetID3TagInfo(const TTagInfoPac& Tag) {
    CheckOwnerThread();
    if (Tag.Size <= 0 || Tag.Data == nullptr) throw EGogoTeaError(kMsgOutOfRange);
    auto block = std::make_unique<std::uint8_t[]>(Tag.Size);
    std::memcpy(block.get(), Tag.Data, Tag.Size);
    FID3TagData = std::move(block);
    FID3Tag = {Tag.Size, FID3TagData.get()};
}

void TGogoTea::DisposeTags() {
    FRmpTags.clear();
    FRmpTagData.clear();
    FID3TagData.reset();
    FID3Tag = {};
}

// ---- Library queries and forwarding ----

std::string TGogoTea::GetVersionStr() {
    if (designing_ || !binding::MPGE_getVersion) return "";
    std::uint32_t code = 0;
    char text[512] = {};
    if (binding::MPGE_getVersion(&code, text) != 0) return "";
    return std::string(text, strnlen(text, sizeof text));
}

std::uint32_t TGogoTea::GetVersionCode() {
    if (designing_ || !binding::MPGE_getVersion) return 0;
    std::uint32_t code = 0;
    char text[512] = {};
    if (binding::MPGE_getVersion(&code, text) != 0) return 0;
    return code;
}

std::uint32_t TGogoTea::GetUnitStates() {
    if (designing_ || !binding::MPGE_getUnitStates) return 0;
    std::uint32_t unit = 0;
    if (binding::MPGE_getUnitStates(&unit) != 0) return 0;
    return unit;
}

std::int32_t TGogoTea::EncodeFrames() {
    return designing_ || !binding::MPGE_processFrame ? -1 : binding::MPGE_processFrame();
}

std::int32_t TGogoTea::CloseEncoder() {
    return designing_ || !binding::MPGE_closeCoder ? -1 : binding::MPGE_closeCoder();
}

std::int32_t TGogoTea::EndEncoder() {
    return designing_ || !binding::MPGE_endCoder ? -1 : binding::MPGE_endCoder();
}

std::int32_t TGogoTea::DetectConfigure() {
    return designing_ || !binding::MPGE_detectConfigure ? -1 : binding::MPGE_detectConfigure();
}

std::int32_t TGogoTea::GetConfigure(std::int32_t code, void* pointer) {
    return designing_ || !binding::MPGE_getConfigure ? -1
                                                     : binding::MPGE_getConfigure(code, pointer);
}

std::int32_t TGogoTea::SetConfigure(std::int32_t code, std::intptr_t value1, std::intptr_t value2) {
    return designing_ || !binding::MPGE_setConfigure
               ? -1
               : binding::MPGE_setConfigure(code, value1, value2);
}

// ---- Encode set-up, start and abort ----

void TGogoTea::PassSettings() {
    auto set = [](std::int32_t code, std::intptr_t v1, std::intptr_t v2) {
        binding::MPGE_setConfigure(code, v1, v2);
    };
    const TEncodeMode mode = FEncodeMode.load();
    if (mode == _FILE) {
        set(1, 0, reinterpret_cast<std::intptr_t>(FSourceFile.c_str()));
    } else if (mode == _MEMORY) {
        memoryInput_ = {&TGogoTea::MemoryInputProc, -1, 16, 44100, 2};
        set(1, 2, reinterpret_cast<std::intptr_t>(&memoryInput_));
    }
    set(2, 0, reinterpret_cast<std::intptr_t>(FDestinationFile.c_str()));
    set(8, Flag(FUsePsyAnalize), 0);
    set(4, FBitRate, 0);
    set(9, Flag(FUseLPF), 0);
    if (FUseVBR) set(18, FVBRLevel, 0);
    // A unit passes only when the library reports it; the library is asked at each test.
    auto usable = [this](TUseUnit unit, std::uint32_t bit) {
        return FOptimization.Contains(unit) && (GetUnitStates() & bit) != 0;
    };
    set(10, Flag(usable(_USE_MMX, 0x2)), 0);
    set(11, Flag(usable(_USE_3DNOW, 0x4)), 0);
    set(12, Flag(usable(_USE_KNI, 0x8)), 0);
    set(13, Flag(usable(_USE_EX_3DNOW, 0x20)), 0);
    set(14, Flag(FOptimization.Contains(_USE_SPC1)), 0);
    set(15, Flag(FOptimization.Contains(_USE_SPC2)), 0);
    switch (FEmphasis) {
        case _NO_EMPH:
            set(17, 0, 0);
            break;
        case _5015MS_EMPH:
            set(17, 1, 0);
            break;
        case _CCITT_EMPH:
            set(17, 3, 0);
            break;
    }
    if (FEncodeType <= _DUALCHANNEL) set(3, FEncodeType, 0);
    set(19, FProcessors, 0);
    if (GateA(GetVersionCode()) && FExtFilter.Enabled) set(31, FExtFilter.Low, FExtFilter.High);
    if (GateA(GetVersionCode()) && FVBRBitrate.Enabled && FUseVBR)
        set(30, FVBRBitrate.Low, FVBRBitrate.High);
    if (GateA(GetVersionCode()) && FMSSetting.Enabled)
        set(32, FMSSetting.Threshold, FMSSetting.Power);
    if (GateB(GetVersionCode())) {
        if (FEncodeFormat == _FORMAT_OF_MP3) {
            set(26, 0, 0);
            if (FID3Tag.Size > 0)
                set(16, FID3Tag.Size, reinterpret_cast<std::intptr_t>(FID3Tag.Data));
        } else if (FEncodeFormat == _FORMAT_OF_RIFF_WAVE || FEncodeFormat == _FORMAT_OF_RIFF_RMP) {
            set(26, FEncodeFormat == _FORMAT_OF_RIFF_WAVE ? 1 : 2, 0);
            for (const TTagInfoPac& tag : FRmpTags)
                set(27, tag.Size, reinterpret_cast<std::intptr_t>(tag.Data));
        }
    }
}

void TGogoTea::QuerySettings() {
    CheckOwnerThread();
    if (designing_) return;
    if (FIsEncoding || FConfigured) throw EGogoTeaError(kMsgBusy);
    // After an error the owner learns of the end before the worker has closed the library;
    // the library takes one caller at a time, so the set-up waits for that close.
    FThread->WaitClosed(startSerial_);
    FEndOfInput.store(false);
    FEncodeResult = binding::MPGE_initializeWork();
    if (FEncodeResult != 0) throw EGogoTeaError(kMsgNoFpu);
    PassSettings();
    DisposeTags();
    try {
        FEncodeResult = binding::MPGE_detectConfigure();
    } catch (...) {
        FEncodeResult = 10;
    }
    if (FEncodeResult != 0) {
        FConfigured = false;
        throw EGogoTeaError(kMsgBadSettings);
    }
    {
        std::lock_guard lock(FLock);
        FReadPos = 0;
        FWritePos = 0;
    }
    binding::MPGE_getConfigure(15, &FAllFrames);
    FConfigured = true;
}

void TGogoTea::Execute() {
    CheckOwnerThread();
    if (designing_) return;
    if (FEncodeMode.load() == _FILE) QuerySettings();
    FEncodeResult = 0;
    FThread->SetPriority(FPriority);
    FIsEncoding = true;
    ++startSerial_;
    const platform::ThreadId worker = FThread->ThreadID();
    platform::PostThreadMessage(worker, TM_ENCODE_SERIAL, startSerial_, 0);
    platform::PostThreadMessage(worker, TM_ENCODE_START, FAllFrames, FFrequency);
}

void TGogoTea::AbortEncode() {
    CheckOwnerThread();
    if (designing_ || !FIsEncoding) return;
    platform::PostThreadMessage(FThread->ThreadID(), TM_ENCODE_ABORT, 0, 0);
}

// ---- Notification window ----

platform::LResult TGogoTea::WndProc(std::uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) {
    switch (message) {
        case NM_STREAM_END:
            return 0;
        case NM_ENCODE_ERROR:
            OnEncodeError(wParam, lParam);
            return 0;
        case NM_ENCODE_FINISH:
            OnFinishEncode(wParam, lParam);
            return 0;
        case NM_PROGRESS:
            OnProgressStatus(wParam, lParam);
            return 0;
        default:
            return platform::DefWindowProc(FWnd, message, wParam, lParam);
    }
}

void TGogoTea::OnEncodeError(platform::WParam wParam, platform::LParam lParam) {
    const auto code = static_cast<std::int32_t>(wParam);
    if (static_cast<std::uint32_t>(lParam) == startSerial_) {
        FIsEncoding = false;
        FConfigured = false;
        FEncodeResult = code;
    }
    if (OnError) OnError(this, code);
}

void TGogoTea::OnFinishEncode(platform::WParam wParam, platform::LParam lParam) {
    if (static_cast<std::uint32_t>(lParam) == startSerial_) {
        FIsEncoding = false;
        FConfigured = false;
    }
    if (OnFinish) OnFinish(this, wParam != 0);
}

void TGogoTea::OnProgressStatus(platform::WParam wParam, platform::LParam lParam) {
    if (OnProgress)
        OnProgress(this, static_cast<std::int32_t>(wParam), static_cast<std::int32_t>(lParam));
}

// ---- Memory-mode ring ----

bool TGogoTea::WriteBuffer(const void* Buffer, std::int32_t Size) {
    if (FEncodeMode.load() != _MEMORY) return true;
    std::lock_guard lock(FLock);
    if (Size > 0 && Buffer != nullptr) {
        const std::int32_t free = (FReadPos - FWritePos - 1) & kRingMask;
        if (Size >= free) return false;
        const auto* src = static_cast<const std::uint8_t*>(Buffer);
        const std::int32_t first = std::min(Size, kRingMask + 1 - FWritePos);
        std::memcpy(FBuffer.get() + FWritePos, src, first);
        std::memcpy(FBuffer.get(), src + first, Size - first);
        FWritePos = (FWritePos + Size) & kRingMask;
        return true;
    }
    if (Buffer == nullptr) FEndOfInput.store(true);
    return true;
}

namespace {
// Copies `n` bytes out of the ring at `readPos` (which it advances), crossing the wrap.
void TakeFromRing(const std::uint8_t* ring, std::int32_t& readPos, std::uint8_t* dst,
                  std::int32_t n) {
    const std::int32_t first = std::min(n, kRingMask + 1 - readPos);
    std::memcpy(dst, ring + readPos, first);
    std::memcpy(dst + first, ring, n - first);
    readPos = (readPos + n) & kRingMask;
}
}  // namespace

bool TGogoTea::ReadBuffer(void* Buffer, std::int32_t Size) {
    if (FEncodeMode.load() != _MEMORY) return true;
    std::lock_guard lock(FLock);
    if (Size <= 0) return true;
    const std::int32_t stored = (FWritePos - FReadPos) & kRingMask;
    if (stored < Size) return false;
    TakeFromRing(FBuffer.get(), FReadPos, static_cast<std::uint8_t*>(Buffer), Size);
    return true;
}

std::int32_t TGogoTea::ReadBufferEx(void* Buffer, std::int32_t Size) {
    if (FEncodeMode.load() != _MEMORY) return 0;
    std::lock_guard lock(FLock);
    if (Size <= 0) return 0;
    const std::int32_t stored = (FWritePos - FReadPos) & kRingMask;
    const std::int32_t n = std::min(stored, Size);
    auto* dst = static_cast<std::uint8_t*>(Buffer);
    TakeFromRing(FBuffer.get(), FReadPos, dst, n);
    if (n < Size) std::memset(dst + n, 0, Size - n);
    return n;
}

std::int32_t TGogoTea::MemoryInputProc(void* Buffer, std::int32_t Size) {
    for (;;) {
        {
            std::lock_guard lock(gCurrentLock);
            TGogoTea* t = gCurrentGogoTea;
            // No component, or the one served is being destroyed: nothing to give.
            if (t == nullptr || !t->FAlive.load()) return 0;
            if (t->ReadBuffer(Buffer, Size)) return 0;
            if (t->FEndOfInput.load()) return t->ReadBufferEx(Buffer, Size) > 0 ? 0 : 1;
        }
        platform::SleepMs(1);
    }
}

}  // namespace encoder
