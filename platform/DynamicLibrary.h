#pragma once
// Loading a shared library at run time (LoadLibrary/GetProcAddress/FreeLibrary).

#include <string>

namespace platform {

// Move-only owner of a loaded library; the destructor frees it. Any thread; one object
// is used by one thread at a time.
class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // A plain name ("libgogo.so") uses the system's ordinary search (the executable's
    // RUNPATH first); a name with a separator is loaded from exactly that file.
    static DynamicLibrary Load(const std::string& name);

    bool IsLoaded() const { return handle_ != nullptr; }
    void* Symbol(const char* name) const;  // nullptr when missing or not loaded
    void Free();
    void* NativeHandle() const { return handle_; }

  private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

}  // namespace platform
