#include "plotfile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "host/cli/usageerror.h"
#include "host/files/outputfile.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr const char* kConverter = "rsvg-convert.exe";
constexpr char kPathSeparator = ';';
#else
constexpr const char* kConverter = "rsvg-convert";
constexpr char kPathSeparator = ':';
#endif

std::string lowercaseExtension(const std::string& path)
{
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The converter's path in a folder of the PATH; empty when there is none.
std::string findConverter()
{
    const char* variable = std::getenv("PATH");
    const std::string_view folders = variable == nullptr ? "" : variable;
    for (std::size_t begin = 0; begin <= folders.size();) {
        const std::size_t end = std::min(folders.find(kPathSeparator, begin), folders.size());
        const std::string_view folder = folders.substr(begin, end - begin);
        begin = end + 1;
        if (folder.empty())
            continue;
        const fs::path candidate = fs::path(folder) / kConverter;
        std::error_code error;
        if (!fs::is_regular_file(candidate, error))
            continue;
#if !defined(_WIN32)
        if (access(candidate.c_str(), X_OK) != 0)
            continue;
#endif
        return candidate.string();
    }
    return {};
}

// Runs program with arguments and waits for it; its exit status, or a text
// saying why it has none.
std::string run(const std::string& program, const std::vector<std::string>& arguments)
{
#if defined(_WIN32)
    // Windows joins the arguments with spaces; a path cannot hold a quote.
    std::vector<std::string> quoted = {"\"" + program + "\""};
    for (const std::string& argument : arguments)
        quoted.push_back("\"" + argument + "\"");
    std::vector<const char*> argv;
    for (const std::string& argument : quoted)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const intptr_t status = _spawnv(_P_WAIT, program.c_str(), argv.data());
    return status == 0 ? "" : "exit status " + std::to_string(status);
#else
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (const int error =
            posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
        error != 0)
        return std::string("cannot start: ") + std::strerror(error);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return std::string("lost: ") + std::strerror(errno);
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 0 ? "" : "exit status " + std::to_string(WEXITSTATUS(status));
    return "ended by signal " + std::to_string(WTERMSIG(status));
#endif
}

} // namespace

PlotFile::PlotFile(std::string target) : target(std::move(target))
{
    const std::string extension = lowercaseExtension(this->target);
    if (extension != ".svg" && extension != ".png")
        throw UsageError("plot writes OUTPUT.svg or OUTPUT.png, not \"" + this->target +
                         "\" (see tapedelay plot --help)");
    if (extension == ".png") {
        converter = findConverter();
        if (converter.empty())
            throw UsageError(this->target +
                             ": a PNG needs rsvg-convert, which is not on the PATH (on Debian: "
                             "apt-get install librsvg2-bin); or write an .svg");
    }
    claimed.emplace(this->target);
}

void PlotFile::write(const std::string& svg)
{
    // A PNG's drawing goes beside the target and is never committed, so it
    // goes away.
    std::optional<TemporaryOutput> drawing;
    if (!converter.empty())
        drawing.emplace(target);
    OutputStream stream(drawing ? *drawing : *claimed);
    stream.write(svg.data(), svg.size());
    stream.close();
    if (drawing) {
        const std::string failure =
            run(converter, {"--format", "png", "--output", fs::absolute(claimed->path()).string(),
                            fs::absolute(drawing->path()).string()});
        if (!failure.empty())
            throw OutputFileError(target + ": rsvg-convert failed (" + failure + ")");
    }
    claimed->commit();
}
