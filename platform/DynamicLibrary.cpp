#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace platform {

DynamicLibrary::~DynamicLibrary() {
    Free();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Free();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

DynamicLibrary DynamicLibrary::Load(const std::string& name) {
    // dlopen itself tells the two forms apart: a name with a '/' is opened as that file,
    // a plain name goes through RUNPATH, LD_LIBRARY_PATH and the system's cache. An empty
    // name would hand back the program itself, which is never what a caller means.
    if (name.empty()) return DynamicLibrary();
    return DynamicLibrary(::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    return ::dlsym(handle_, name);
}

void DynamicLibrary::Free() {
    if (handle_ != nullptr) ::dlclose(std::exchange(handle_, nullptr));
}

}  // namespace platform
