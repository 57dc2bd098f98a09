#include "streambytes.h"

namespace {

constexpr std::size_t kLargestState = 1 << 20;
constexpr Steinberg::int32 kChunk = 4096;

} // namespace

std::optional<std::vector<std::uint8_t>> ReadStream(Steinberg::IBStream* stream)
{
    if (stream == nullptr)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (;;) {
        const std::size_t at = bytes.size();
        bytes.resize(at + kChunk);
        Steinberg::int32 read = 0;
        if (stream->read(bytes.data() + at, kChunk, &read) != Steinberg::kResultOk || read < 0 ||
            read > kChunk)
            read = 0;
        bytes.resize(at + static_cast<std::size_t>(read));
        if (read == 0)
            return bytes;
        if (bytes.size() > kLargestState)
            return std::nullopt;
    }
}

bool WriteStream(Steinberg::IBStream* stream, std::span<const std::uint8_t> bytes)
{
    if (stream == nullptr)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk =
            static_cast<Steinberg::int32>(std::min<std::size_t>(bytes.size() - done, kChunk));
        Steinberg::int32 written = 0;
        if (stream->write(const_cast<std::uint8_t*>(bytes.data() + done), chunk, &written) !=
                Steinberg::kResultOk ||
            written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}
