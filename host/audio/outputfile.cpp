#include "outputfile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "audiofile.h"

namespace fs = std::filesystem;

namespace {

// 64 random bits in hex: enough that two runs never pick the same name.
std::string randomTag()
{
    std::random_device random;
    std::uint64_t bits = (std::uint64_t{random()} << 32) ^ random();
    std::string tag;
    for (int digit = 0; digit < 16; ++digit, bits >>= 4)
        tag += "0123456789abcdef"[bits & 15];
    return tag;
}

} // namespace

TemporaryOutput::TemporaryOutput(const std::string& target) : targetPath(target)
{
    std::error_code error;
    if (fs::is_directory(target, error))
        throw AudioFileError(target + ": is a directory");
    const fs::path path(target);
    std::string name(1, '.');
    name += path.filename().string();
    name += ".tmp-" + randomTag();
    temporaryPath = (path.parent_path() / name).string();
}

TemporaryOutput::~TemporaryOutput()
{
    if (!committed) {
        std::error_code ignored;
        fs::remove(temporaryPath, ignored);
    }
}

void TemporaryOutput::commit()
{
    std::error_code error;
    fs::rename(temporaryPath, targetPath, error);
    if (error)
        throw AudioFileError(targetPath +
                             ": cannot move the finished output into place: " + error.message());
    committed = true;
}

OutputStream::OutputStream(std::FILE* file, std::string name) : file(file), name(std::move(name))
{
    if (file == nullptr)
        fail("cannot create", errno);
}

OutputStream::OutputStream(const TemporaryOutput& temporary)
    : OutputStream(std::fopen(temporary.path().c_str(), "wb"), temporary.target())
{}

OutputStream::~OutputStream()
{
    if (file != nullptr)
        std::fclose(file);
}

void OutputStream::write(const void* data, std::size_t bytes)
{
    requireOpen();
    if (bytes != 0 && std::fwrite(data, 1, bytes, file) != bytes)
        fail("write failed", errno);
}

void OutputStream::rewind()
{
    requireOpen();
    if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0)
        fail("write failed", errno);
}

void OutputStream::close()
{
    if (file == nullptr)
        return;
    std::FILE* closing = std::exchange(file, nullptr);
    if (std::fflush(closing) != 0) {
        const int error = errno;
        std::fclose(closing);
        fail("write failed", error);
    }
    if (std::fclose(closing) != 0)
        fail("write failed", errno);
}

void OutputStream::requireOpen() const
{
    if (file == nullptr)
        throw std::logic_error(name + ": written after it was closed");
}

void OutputStream::fail(const char* what, int error) const
{
    std::string message = name + ": " + what;
    if (error != 0)
        message += std::string(": ") + std::strerror(error);
    throw AudioFileError(message);
}
