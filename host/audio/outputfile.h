// Writing output files without ever leaving a half-written target.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// A temporary file name beside the target ("<dir>/.<name>.tmp-<random>").
// The owner creates and writes the file; commit() renames it over the target.
// Destroyed without commit(), it removes the temporary file, so the target
// keeps whatever it held before.
class TemporaryOutput {
public:
    // Throws AudioFileError when target is a directory.
    explicit TemporaryOutput(const std::string& target);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    const std::string& target() const { return targetPath; }
    const std::string& path() const { return temporaryPath; }

    // The temporary file must be closed first.
    void commit();

private:
    std::string targetPath;
    std::string temporaryPath;
    bool committed = false;
};

// An owned binary FILE* whose every failure is an AudioFileError naming name.
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
