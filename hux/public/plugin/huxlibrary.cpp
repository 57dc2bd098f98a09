#include "huxlibrary.h"

#include <cstring>

void* HuxLibraryCreator::Acquire(const char* name, void* /*context: no creator takes one*/)
{
    const std::size_t length = std::strlen(name);
    for (auto& [key, entry] : entries) {
        if (key.size() != length || std::memcmp(key.data(), name, length) != 0)
            continue;
        void* object = entry.create(); // an empty creator throws std::bad_function_call
        try {
            entry.instances.insert(object);
        } catch (...) {
            entry.destroy(object);
            throw;
        }
        return object;
    }
    return nullptr;
}

void HuxLibraryCreator::Release(void* object)
{
    for (auto& [key, entry] : entries) {
        const auto found = entry.instances.find(object);
        if (found == entry.instances.end())
            continue;
        entry.instances.erase(found);
        entry.destroy(object);
        return;
    }
}
