#include "effectstate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'T', 'D', 'S', 'T'};
constexpr std::size_t kHeaderBytes = 12; // magic, version, count
constexpr std::size_t kPairBytes = 12;   // code, value
constexpr std::size_t kChecksumBytes = 4;

// CRC-32 as zlib and PNG compute it (reflected, polynomial 0xEDB88320).
constexpr std::array<std::uint32_t, 256> crcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

std::uint32_t crc32(std::span<const std::uint8_t> bytes)
{
    static constexpr std::array<std::uint32_t, 256> kTable = crcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes)
        crc = kTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void putLittle(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

std::uint64_t getLittle(std::span<const std::uint8_t> bytes, std::size_t at, int count)
{
    std::uint64_t value = 0;
    for (int k = 0; k < count; ++k)
        value |= static_cast<std::uint64_t>(bytes[at + static_cast<std::size_t>(k)]) << (8 * k);
    return value;
}

std::string codeText(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((code >> shift) & 0xFFu);
        text += c >= ' ' && c <= '~' ? c : '?';
    }
    return text;
}

ReadStateResult refused(std::string why)
{
    return {std::nullopt, std::move(why)};
}

} // namespace

std::vector<std::uint8_t> WriteEffectState(const EffectState& state)
{
    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    putLittle(out, kEffectStateVersion, 4);
    // A value that is not a finite number could not be read back: left out.
    const auto kept = std::count_if(state.values.begin(), state.values.end(),
                                    [](const auto& pair) { return std::isfinite(pair.second); });
    putLittle(out, static_cast<std::uint64_t>(kept), 4);
    for (const auto& [code, value] : state.values) {
        if (!std::isfinite(value))
            continue;
        putLittle(out, code, 4);
        putLittle(out, std::bit_cast<std::uint64_t>(value), 8);
    }
    putLittle(out, crc32(out), 4);
    return out;
}

ReadStateResult ReadEffectState(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kMagic.size() ||
        std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0)
        return refused("not a tape delay state");
    if (bytes.size() < kHeaderBytes + kChecksumBytes)
        return refused("truncated: " + std::to_string(bytes.size()) + " bytes");
    const auto version = static_cast<std::uint32_t>(getLittle(bytes, 4, 4));
    if (version > kEffectStateVersion)
        return refused("a state of a later version (" + std::to_string(version) +
                       ") than this plug-in reads (" + std::to_string(kEffectStateVersion) + ")");
    if (version == 0)
        return refused("not a tape delay state: version 0");
    const std::uint64_t count = getLittle(bytes, 8, 4);
    const std::uint64_t expected = kHeaderBytes + count * kPairBytes + kChecksumBytes;
    if (bytes.size() < expected)
        return refused("truncated: " + std::to_string(bytes.size()) + " bytes of " +
                       std::to_string(expected));
    if (bytes.size() > expected)
        return refused(std::to_string(bytes.size() - expected) + " bytes after the state");
    const std::size_t body = bytes.size() - kChecksumBytes;
    if (crc32(bytes.first(body)) != getLittle(bytes, body, 4))
        return refused("damaged: the checksum does not match");

    EffectState state;
    state.values.reserve(count);
    for (std::size_t at = kHeaderBytes; at < body; at += kPairBytes) {
        const auto code = static_cast<std::uint32_t>(getLittle(bytes, at, 4));
        const double value = std::bit_cast<double>(getLittle(bytes, at + 4, 8));
        if (!std::isfinite(value))
            return refused("the value of " + codeText(code) + " is not a finite number");
        state.values.emplace_back(code, value);
    }
    return {std::move(state), {}};
}
