// Writes the fuzzer's seed corpus: a handful of well-formed messages of the
// shapes the plug-in sends and receives.
//   make_seed_corpus <output directory>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/ktresult.h"
#include "missive/source/serialization/missive.h"

namespace {

enum class SeedTone : std::int32_t { normal, dark, bright };

bool writeSeed(const std::filesystem::path& directory, const char* name, const Missive& message)
{
    const std::filesystem::path target = directory / name;
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(message.data()),
                  static_cast<std::streamsize>(message.size()));
        out.close();
        if (!out) {
            std::cerr << "make_seed_corpus: cannot write " << temporary << "\n";
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::cerr << "make_seed_corpus: cannot rename " << temporary << " to " << target << ": "
                  << error.message() << "\n";
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_seed_corpus <output directory>\n";
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    if (!std::filesystem::is_directory(directory)) {
        std::cerr << "make_seed_corpus: not a directory: " << directory << "\n";
        return 2;
    }

    try {
        bool ok = true;

        ok &= writeSeed(directory, "empty", Missive{});

        Missive tapped;
        tapped.put(kMissiveDefault, "BPMTapped");
        tapped.put("bpm", 120.0);
        ok &= writeSeed(directory, "bpm-tapped", tapped);

        Missive scalars;
        scalars.put("needsSessionTempo", true);
        scalars.put("feedbackGain", 0.5f);
        scalars.put("count", std::int32_t{-7});
        scalars.put("big", std::uint64_t{1} << 40);
        scalars.put(std::uint32_t{0x66626B61}, std::uint16_t{3});
        scalars.put("tone", SeedTone::dark);
        ok &= writeSeed(directory, "scalars", scalars);

        Missive arrays;
        arrays.put("name", std::vector<std::string>{"Normal", "Dark", "Bright"});
        arrays.put("range", std::vector<double>{0.005, 2.0});
        arrays.put("flags", std::vector<bool>{true, false, true});
        arrays.put(std::uint32_t{1}, std::vector<std::uint8_t>{1, 2, 3, 4});
        ok &= writeSeed(directory, "arrays", arrays);

        Missive inner;
        inner.put(kMissiveDefault, "Delay Time");
        inner.put("bpm", 96.5);
        Missive outer;
        outer.put("name", "parameters");
        outer.put("param", inner);
        outer.put("list", std::vector<Missive>{inner, tapped});
        ok &= writeSeed(directory, "nested", outer);

        Missive shadowed;
        shadowed.put("bpm", 60.0);
        shadowed.put("bpm", "fast");
        ok &= writeSeed(directory, "shadowed", shadowed);

        return ok ? 0 : 1;
    } catch (const KtException& error) {
        std::cerr << "make_seed_corpus: " << error.what() << "\n";
        return 1;
    }
}
