// The temporary files an interrupt removes: a fixed table of path slots that
// a signal handler can read without allocating or locking.
#pragma once

#include <cstddef>
#include <string>

// The longest path a slot holds, with its terminating NUL.
inline constexpr std::size_t kInterruptCleanupPathBytes = 4096;

// Keeps path in the table for its lifetime, or until release(). When the
// table is full or the path does not fit, nothing is kept: that file is then
// not removed on an interrupt, and all else works as usual.
class InterruptCleanupEntry {
public:
    explicit InterruptCleanupEntry(const std::string& path);
    ~InterruptCleanupEntry() { release(); }
    InterruptCleanupEntry(const InterruptCleanupEntry&) = delete;
    InterruptCleanupEntry& operator=(const InterruptCleanupEntry&) = delete;

    // Takes the path out of the table; call once the file is gone or renamed.
    void release();

private:
    int slot = -1;
};
