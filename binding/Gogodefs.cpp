#include "binding/Gogodefs.h"

#include <optional>
#include <utility>

#include "platform/Registry.h"

namespace binding {

PMPGE_initializeWork MPGE_initializeWork = nullptr;
PMPGE_setConfigure MPGE_setConfigure = nullptr;
PMPGE_getConfigure MPGE_getConfigure = nullptr;
PMPGE_detectConfigure MPGE_detectConfigure = nullptr;
PMPGE_processFrame MPGE_processFrame = nullptr;
PMPGE_closeCoder MPGE_closeCoder = nullptr;
PMPGE_endCoder MPGE_endCoder = nullptr;
PMPGE_getUnitStates MPGE_getUnitStates = nullptr;
PMPGE_getVersion MPGE_getVersion = nullptr;

std::string GogoDLLPath;
platform::DynamicLibrary GogoDLLHandle;
int32_t GogoDLLRefCount = 0;
std::string GogoDLLName = "libgogo.so";

namespace {

// The unit's shut-down runs when this object is destroyed at process end. It is created
// on the first InitGogoDefs, so it outlives every component constructed after that point
// (static objects are destroyed in the reverse order of their construction).
struct UnitShutdown {
    ~UnitShutdown() { ShutdownGogoDefs(); }
};

void StartUnit() {
    static UnitShutdown shutdown;
}

template <typename F>
F Bind(const platform::DynamicLibrary& lib, const char* name) {
    return reinterpret_cast<F>(lib.Symbol(name));
}

}  // namespace

bool InitGogoDefs() {
    StartUnit();
    if (GogoDLLRefCount > 0) {
        ++GogoDLLRefCount;
        return true;
    }
    GogoDLLPath.clear();
    std::string path;

    platform::DynamicLibrary lib = platform::DynamicLibrary::Load(GogoDLLName);
    if (!lib.IsLoaded()) {
        if (std::optional<platform::RegistryKey> key =
                platform::RegistryKey::OpenCurrentUser(kGogoRegistryKey)) {
            // A value of another type raises here and leaves everything as it was.
            path = key->ReadString(kGogoRegistryValue);
        }
        if (!path.empty()) lib = platform::DynamicLibrary::Load(path);
    }
    if (!lib.IsLoaded()) return false;

    // All nine are looked up before any is tested.
    MPGE_initializeWork = Bind<PMPGE_initializeWork>(lib, "MPGE_initializeWork");
    MPGE_setConfigure = Bind<PMPGE_setConfigure>(lib, "MPGE_setConfigure");
    MPGE_getConfigure = Bind<PMPGE_getConfigure>(lib, "MPGE_getConfigure");
    MPGE_detectConfigure = Bind<PMPGE_detectConfigure>(lib, "MPGE_detectConfigure");
    MPGE_processFrame = Bind<PMPGE_processFrame>(lib, "MPGE_processFrame");
    MPGE_closeCoder = Bind<PMPGE_closeCoder>(lib, "MPGE_closeCoder");
    MPGE_endCoder = Bind<PMPGE_endCoder>(lib, "MPGE_endCoder");
    MPGE_getUnitStates = Bind<PMPGE_getUnitStates>(lib, "MPGE_getUnitStates");
    MPGE_getVersion = Bind<PMPGE_getVersion>(lib, "MPGE_getVersion");

    if (MPGE_initializeWork && MPGE_setConfigure && MPGE_getConfigure && MPGE_detectConfigure &&
        MPGE_processFrame && MPGE_closeCoder && MPGE_endCoder && MPGE_getUnitStates &&
        MPGE_getVersion) {
        GogoDLLHandle = std::move(lib);
        GogoDLLRefCount = 1;
        GogoDLLPath = path;
        return true;
    }
    lib.Free();
    GogoDLLHandle.Free();
    GogoDLLRefCount = 0;
    return false;
}

void DeallocateGogoDLL() {
    if (GogoDLLRefCount == 1) {
        if (GogoDLLHandle.IsLoaded()) GogoDLLHandle.Free();
    }
    --GogoDLLRefCount;
}

void ShutdownGogoDefs() {
    GogoDLLRefCount = 1;
    DeallocateGogoDLL();
    GogoDLLPath.clear();
}

}  // namespace binding
