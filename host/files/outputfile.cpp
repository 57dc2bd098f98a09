#include "outputfile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// As many symbolic links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

// The file that writing target replaces: target with the symbolic links of
// its last component followed (the folders on the way are the system's to
// follow). A relative link is relative to the folder holding it.
std::string replacedFile(const std::string& target)
{
    fs::path path(target);
    for (int links = 0;; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            break;
        if (links == kMaxLinks)
            throw OutputFileError(target + ": too many levels of symbolic links");
        const fs::path link = fs::read_symlink(path, error);
        if (error)
            throw OutputFileError(target + ": cannot follow its symbolic link: " + error.message());
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    std::error_code error;
    if (fs::is_directory(path, error))
        throw OutputFileError(target + ": is a directory");
    return path.string();
}

// A fixed-length hidden name, so that it fits wherever the target's name fits.
std::string temporaryBeside(const std::string& file)
{
    return (fs::path(file).parent_path() / (".tapedelay-" + RandomHexTag())).string();
}

// Creates path, which must not exist yet, with the permission bits of the
// file it will replace, or those a new file gets (0666 less the umask).
void createEmpty(const std::string& path, [[maybe_unused]] const std::string& replaced,
                 const std::string& target)
{
#if defined(_WIN32)
    const int fd =
        _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    if (fd < 0)
        throw OutputFileError(target + ": cannot create: " + std::strerror(errno));
#if !defined(_WIN32)
    // Best effort: some file systems keep no permission bits of their own.
    struct stat existing {};
    if (stat(replaced.c_str(), &existing) == 0)
        fchmod(fd, existing.st_mode & 0777);
#endif
    close(fd);
}

} // namespace

std::string RandomHexTag()
{
    std::random_device random;
    std::uint64_t bits = (std::uint64_t{random()} << 32) ^ random();
    std::string tag;
    for (int digit = 0; digit < 16; ++digit, bits >>= 4)
        tag += "0123456789abcdef"[bits & 15];
    return tag;
}

TemporaryOutput::TemporaryOutput(const std::string& target)
    : targetPath(target),
      finalPath(replacedFile(target)),
      temporaryPath(temporaryBeside(finalPath)),
      cleanup(temporaryPath)
{
    createEmpty(temporaryPath, finalPath, targetPath);
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
    fs::rename(temporaryPath, finalPath, error);
    if (error)
        throw OutputFileError(targetPath +
                              ": cannot move the finished output into place: " + error.message());
    committed = true;
    cleanup.release();
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
    throw OutputFileError(message);
}

std::FILE* CreateScratchFile()
{
#if defined(_WIN32)
    // The C runtime's tmpfile() writes in the drive's root folder, which a
    // user may not write to; this goes to the user's temporary folder.
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error);
    if (error)
        return nullptr;
    const fs::path path = folder / (".tapedelay-" + RandomHexTag());
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _fdopen(fd, "w+b");
    if (file == nullptr)
        _close(fd);
    return file;
#else
    return std::tmpfile();
#endif
}
