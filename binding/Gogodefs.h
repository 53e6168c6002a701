#pragma once
// Gogodefs: finds libgogo, loads it, binds its nine entry points and keeps it loaded while
// any encoder component holds a reference.
//
// Search: the plain name GogoDLLName ("libgogo.so") through the loader's ordinary search
// (the executable's RUNPATH first); failing that, the INSTPATH string value of the
// per-user registry key "Software\MarineCat\GOGO_DLL", which must name the library file.
//
// Threads: the main thread only (components are constructed and destroyed there). The
// loader takes no lock. The function pointers may be called from any thread while the
// library is loaded; the library itself allows one encode at a time.
//
// At process end the unit frees the library whatever the count; every component must be
// gone by then. A component constructed before main() returns is destroyed before the
// unit shuts down, since the unit starts on the first InitGogoDefs.

#include <cstdint>
#include <string>

#include "libs/gogo/gogo.h"
#include "platform/DynamicLibrary.h"

namespace binding {

using PMPGE_initializeWork = MPGE_STATUS (*)(void);
using PMPGE_setConfigure = MPGE_STATUS (*)(int32_t code, intptr_t value1, intptr_t value2);
using PMPGE_getConfigure = MPGE_STATUS (*)(int32_t code, void* out);
using PMPGE_detectConfigure = MPGE_STATUS (*)(void);
using PMPGE_processFrame = MPGE_STATUS (*)(void);
using PMPGE_closeCoder = MPGE_STATUS (*)(void);
using PMPGE_endCoder = MPGE_STATUS (*)(void);
using PMPGE_getUnitStates = MPGE_STATUS (*)(uint32_t* unit);
using PMPGE_getVersion = MPGE_STATUS (*)(uint32_t* code, char* text);

// The nine entry points: null until the first successful bind; a release does not clear
// them (calling one while no library is loaded is the caller's fault).
extern PMPGE_initializeWork MPGE_initializeWork;
extern PMPGE_setConfigure MPGE_setConfigure;
extern PMPGE_getConfigure MPGE_getConfigure;
extern PMPGE_detectConfigure MPGE_detectConfigure;
extern PMPGE_processFrame MPGE_processFrame;
extern PMPGE_closeCoder MPGE_closeCoder;
extern PMPGE_endCoder MPGE_endCoder;
extern PMPGE_getUnitStates MPGE_getUnitStates;
extern PMPGE_getVersion MPGE_getVersion;

// The INSTPATH value the library was loaded from; empty when it was found by its plain
// name and while no load has succeeded.
extern std::string GogoDLLPath;
// The loaded library; not loaded while unbound.
extern platform::DynamicLibrary GogoDLLHandle;
// References held by components; 1 after the first successful bind, and below 0 after
// releases that had no reference to give back.
extern int32_t GogoDLLRefCount;

// The plain name tried first. Tests point it at a stand-in library before the first bind.
extern std::string GogoDLLName;

// The registry key and value consulted when the plain name does not load.
inline constexpr const char* kGogoRegistryKey = "Software\\MarineCat\\GOGO_DLL";
inline constexpr const char* kGogoRegistryValue = "INSTPATH";

// True when the library is bound (now or by an earlier call). A non-string INSTPATH
// raises platform::RegistryError, leaving the state as it was.
bool InitGogoDefs();
// Gives back one reference; the last one frees the library.
void DeallocateGogoDLL();
// What the unit does at process end: frees the library whatever the count and clears
// GogoDLLPath. Exposed so that tests can reach the end state without ending.
void ShutdownGogoDefs();

}  // namespace binding
