// Writing output files without ever leaving a half-written target: sound
// files, reports and plots alike.
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "interruptcleanup.h"

// An output that cannot be written; what() is one line naming the target and
// saying plainly what is wrong, e.g. "out.wav: is a directory".
struct OutputFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A temporary file beside the target, created empty with a short hidden name
// (".tapedelay-" and 16 random hex digits), so any target name the file
// system accepts works. When the target is a symbolic link, the chain of
// links is followed and the file it ends at is the one replaced, so the link
// stays a link; a dangling link's target is created. The temporary file takes
// the permission bits of the file it replaces, or 0666 less the umask for a
// new one. The owner writes the file; commit() renames it over the target.
// Destroyed without commit(), it removes the temporary file, so the target
// keeps whatever it held before. While it exists, an interrupt removes it
// too (see InstallInterruptCleanup).
class TemporaryOutput {
public:
    // Throws OutputFileError when target is a directory, when its links form
    // a loop, or when the temporary file cannot be created.
    explicit TemporaryOutput(const std::string& target);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // The target as given, for messages.
    const std::string& target() const { return targetPath; }
    const std::string& path() const { return temporaryPath; }

    // The temporary file must be closed first.
    void commit();

private:
    std::string targetPath;
    std::string finalPath; // the target with its symbolic links followed
    std::string temporaryPath;
    InterruptCleanupEntry cleanup;
    bool committed = false;
};

// Makes SIGINT, SIGTERM and SIGHUP (Windows: SIGINT and SIGTERM) remove every
// live temporary output file and end the process with status 128 + the
// signal's number. A signal the process inherited as ignored stays ignored.
// Call once, early in main. A temporary path longer than
// kInterruptCleanupPathBytes - 1 bytes still works but is not removed on an
// interrupt. On Windows a file still open cannot be removed, so there the
// cleanup is best effort.
void InstallInterruptCleanup();

// An owned binary FILE* whose every failure is an OutputFileError naming name.
class OutputStream {
public:
    // Takes ownership of file; a null file (failed open) throws with errno's text.
    OutputStream(std::FILE* file, std::string name);
    // For a file created at temporary.path(); errors name the target.
    explicit OutputStream(const TemporaryOutput& temporary);
    ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    void write(const void* data, std::size_t bytes);
    void rewind();
    // Flushes and closes; a failure here (a full disk, a closed pipe) throws.
    // Nothing more may be written afterwards.
    void close();

private:
    void requireOpen() const;
    [[noreturn]] void fail(const char* what, int error) const;

    std::FILE* file;
    std::string name;
};

// A read-write binary file without a name, which the system removes when it
// is closed or the process ends, however it ends (on Windows, in the user's
// temporary folder). Null with errno set when none can be made.
std::FILE* CreateScratchFile();

// 64 random bits in 16 hex digits: enough that two runs never pick the same
// temporary name.
std::string RandomHexTag();
