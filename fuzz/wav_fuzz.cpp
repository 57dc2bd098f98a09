// The built-in WAV reader on arbitrary bytes: every file either reads to its
// end (saying, when it is cut short, that it is) or is refused with an
// AudioFileError; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz/anyvalue.h"
#include "host/audio/audiobackends.h"

namespace {
// The reader reads files: each input goes to one scratch file, removed at exit.
struct ScratchFile {
    std::string path =
        (std::filesystem::temp_directory_path() / ("wav_fuzz-" + std::to_string(getpid()) + ".wav"))
            .string();
    ~ScratchFile() { std::remove(path.c_str()); }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    Tolerate<AudioFileError>([&] {
        const std::unique_ptr<AudioSource> source = OpenWavSource(path);
        std::vector<float> frames(64 * source->channels());
        while (source->read(frames.data(), 64) != 0) {
        }
        // A file cut short says so, naming itself.
        if (const std::string cut = source->truncation(); !cut.empty() && cut.rfind(path, 0) != 0)
            std::abort();
    });
    return 0;
}
