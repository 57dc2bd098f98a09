#include "streams.h"

#include <algorithm>

namespace {

constexpr std::size_t kLargestState = 1 << 20;
constexpr std::size_t kChunk = 4096;

} // namespace

std::optional<std::vector<std::uint8_t>> ReadStream(const clap_istream_t* stream)
{
    if (stream == nullptr || stream->read == nullptr)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (;;) {
        const std::size_t at = bytes.size();
        bytes.resize(at + kChunk);
        const std::int64_t read = stream->read(stream, bytes.data() + at, kChunk);
        if (read < 0 || read > static_cast<std::int64_t>(kChunk))
            return std::nullopt;
        bytes.resize(at + static_cast<std::size_t>(read));
        if (read == 0)
            return bytes;
        if (bytes.size() > kLargestState)
            return std::nullopt;
    }
}

bool WriteStream(const clap_ostream_t* stream, std::span<const std::uint8_t> bytes)
{
    if (stream == nullptr || stream->write == nullptr)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min(bytes.size() - done, kChunk);
        const std::int64_t written = stream->write(stream, bytes.data() + done, chunk);
        if (written <= 0 || written > static_cast<std::int64_t>(chunk))
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}
