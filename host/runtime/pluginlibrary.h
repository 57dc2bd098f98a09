// The plug-in library, loaded at run time (dlopen / LoadLibrary) and used
// only through its two exports, HuxAcquire and HuxRelease.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// The library cannot be loaded, lacks an export or refuses an interface name.
struct PluginLoadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PluginLibrary {
public:
    // Loads the library at path; throws PluginLoadError.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // A new object of the named interface; throws PluginLoadError when the
    // library hands out none.
    void* acquire(const char* interfaceName);
    void release(void* object);

    // The library's file name on this platform ("libtapedelay.so").
    static const char* fileName();
    // The plug-in library shipped beside the running program.
    static std::string besideExecutable();

private:
    using AcquireFunction = void* (*)(const char*, void*);
    using ReleaseFunction = void (*)(void*);

    void unload();

    std::string libraryPath;
    void* module = nullptr;
    AcquireFunction acquireFunction = nullptr;
    ReleaseFunction releaseFunction = nullptr;
};

// One acquired object, released through the library when it goes.
template <class Interface>
class HuxObject {
public:
    HuxObject(PluginLibrary& library, const char* interfaceName)
        : library(&library),
          object(static_cast<Interface*>(library.acquire(interfaceName)))
    {}
    ~HuxObject()
    {
        if (object != nullptr)
            library->release(object);
    }
    HuxObject(const HuxObject&) = delete;
    HuxObject& operator=(const HuxObject&) = delete;

    Interface& operator*() const { return *object; }
    Interface* operator->() const { return object; }
    Interface* get() const { return object; }

private:
    PluginLibrary* library;
    Interface* object;
};
