// Writes the fuzzer's seed corpus: a handful of well-formed messages of the
// shapes the plug-in sends and receives.
//   make_seed_corpus <output directory>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/ktresult.h"
#include "missive/source/serialization/missive.h"

namespace {

enum class SeedTone : std::int32_t { normal, dark, bright };

// Through a temporary file, renamed into place once written whole.
void WriteSeed(const std::filesystem::path& directory, const char* name, const Missive& message)
{
    const std::filesystem::path target = directory / name;
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(message.data()),
              static_cast<std::streamsize>(message.size()));
    out.close();
    std::error_code error;
    if (out)
        std::filesystem::rename(temporary, target, error);
    if (!out || error) {
        std::filesystem::remove(temporary, error);
        throw std::runtime_error("cannot write " + target.string());
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || !std::filesystem::is_directory(argv[1])) {
        std::cerr << "usage: make_seed_corpus <output directory>\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    try {
        const Missive tapped(std::pair{kMissiveDefault, "BPMTapped"}, std::pair{"bpm", 120.0});
        const Missive inner(std::pair{kMissiveDefault, "Delay Time"}, std::pair{"bpm", 96.5});
        Missive scalars(std::pair{"needsSessionTempo", true}, std::pair{"feedbackGain", 0.5f},
                        std::pair{"count", std::int32_t{-7}},
                        std::pair{"big", std::uint64_t{1} << 40});
        scalars.put(std::uint32_t{0x66626B61}, std::uint16_t{3});
        scalars.put("tone", SeedTone::dark);
        Missive arrays(std::pair{"name", std::vector<std::string>{"Normal", "Dark", "Bright"}},
                       std::pair{"range", std::vector<double>{0.005, 2.0}},
                       std::pair{"flags", std::vector<bool>{true, false, true}});
        arrays.put(std::uint32_t{1}, std::vector<std::uint8_t>{1, 2, 3, 4});

        WriteSeed(directory, "empty", Missive{});
        WriteSeed(directory, "bpm-tapped", tapped);
        WriteSeed(directory, "scalars", scalars);
        WriteSeed(directory, "arrays", arrays);
        WriteSeed(directory, "nested",
                  Missive(std::pair{"name", "parameters"}, std::pair{"param", inner},
                          std::pair{"list", std::vector<Missive>{inner, tapped}}));
        WriteSeed(directory, "shadowed", Missive(std::pair{"bpm", 60.0}, std::pair{"bpm", "fast"}));
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "make_seed_corpus: " << error.what() << "\n";
        return 1;
    }
}
