// The factory registry behind the two exports: interface name -> creator,
// destroyer and the instances handed out. Built on the first call of either
// export; the registry never wires objects together.
//
// Callers serialise their calls of the exports; nothing here locks.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>

#include "core/objectname.h"

struct IHuxLibraryCreator {
    virtual void* Acquire(const char* name, void* context) = 0;
    virtual void Release(void* object) = 0;

protected:
    ~IHuxLibraryCreator() = default;
};

struct HuxRegistryEntry {
    std::function<void*()> create;
    std::function<void(void*)> destroy;
    std::set<void*> instances; // handed out, not yet released
};

class HuxLibraryCreator final : public IHuxLibraryCreator {
public:
    // A new object of the interface registered under name, or null when the
    // name (compared exactly, case and length included) is not registered.
    void* Acquire(const char* name, void* context) override;
    // Destroys an object this registry handed out; anything else (null, a
    // foreign or already released pointer) is ignored.
    void Release(void* object) override;

    // Registers Concrete under the name of Interface; the first registration
    // of a name wins. Interface must be Concrete's primary base: the pointer
    // handed out is the object's address and the interface's at once.
    template <class Interface, class Concrete>
    void RegisterHuxObject()
    {
        static const std::string key = Kt::ParseObjectName<Interface>();
        if (entries.contains(key))
            return;
        HuxRegistryEntry& entry = entries[key];
        // Value-initialised: a class whose default constructor is not
        // user-provided has its storage zero-filled before it runs.
        entry.create = [] { return static_cast<void*>(static_cast<Interface*>(new Concrete())); };
        // The object's exact class is known here, so its own destructor runs
        // (for the controller the same one its IIKtInterface base reaches).
        entry.destroy = [](void* object) {
            delete static_cast<Concrete*>(static_cast<Interface*>(object));
        };
    }

private:
    std::map<std::string, HuxRegistryEntry> entries;
};

// The library's registry, built and populated on first use. Defined by the
// product, which knows the concrete classes.
HuxLibraryCreator& HuxLibrary();

extern "C" {
void* HuxAcquire(const char* name, void* context);
void HuxRelease(void* object);
}
