#include "fontfile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace {

constexpr std::size_t kLargestFont = 64u << 20;

std::uint32_t big32(const std::vector<unsigned char>& data, std::size_t at)
{
    return static_cast<std::uint32_t>(data[at]) << 24 |
           static_cast<std::uint32_t>(data[at + 1]) << 16 |
           static_cast<std::uint32_t>(data[at + 2]) << 8 | static_cast<std::uint32_t>(data[at + 3]);
}

// The table directory of a TrueType (sfnt) file: every table within the
// file, and the ones text needs present.
void checkTables(const std::vector<unsigned char>& data, const std::string& path)
{
    const auto broken = [&](const std::string& why) {
        return std::runtime_error("the panel's font " + path + " is not a TrueType font: " + why);
    };
    if (data.size() < 12)
        throw broken("too short");
    const std::uint32_t version = big32(data, 0);
    if (version != 0x00010000u && version != 0x74727565u) // 1.0 or "true"
        throw broken("no TrueType header");
    const std::size_t tables = static_cast<std::size_t>(data[4]) << 8 | data[5];
    if (12 + 16 * tables > data.size())
        throw broken("its table directory runs past the end");
    constexpr std::array<const char*, 7> needed = {"cmap", "head", "hhea", "hmtx",
                                                   "loca", "glyf", "maxp"};
    std::array<bool, needed.size()> found{};
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t entry = 12 + 16 * i;
        const std::uint64_t offset = big32(data, entry + 8);
        const std::uint64_t length = big32(data, entry + 12);
        if (offset + length > data.size())
            throw broken("a table runs past the end");
        for (std::size_t t = 0; t < needed.size(); ++t)
            if (std::equal(needed[t], needed[t] + 4,
                           data.begin() + static_cast<std::ptrdiff_t>(entry)))
                found[t] = true;
    }
    if (std::find(found.begin(), found.end(), false) != found.end())
        throw broken("tables it needs for text are missing");
}

} // namespace

std::vector<unsigned char> ReadFontFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("the panel's font " + path + " cannot be opened");
    std::vector<unsigned char> data;
    char chunk[65536];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        data.insert(data.end(), chunk, chunk + file.gcount());
        if (data.size() > kLargestFont)
            throw std::runtime_error("the panel's font " + path + " is too large to be a font");
    }
    if (file.bad())
        throw std::runtime_error("the panel's font " + path + " cannot be read");
    checkTables(data, path);
    return data;
}
