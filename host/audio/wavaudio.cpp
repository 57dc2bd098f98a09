// The built-in RIFF/WAVE codec. Reads integer PCM (8-bit unsigned, 16, 24 and
// 32-bit) and IEEE float (32 and 64-bit), plain or WAVE_FORMAT_EXTENSIBLE;
// writes 32-bit float.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "audiobackends.h"
#include "host/files/outputfile.h"

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// An extensible sub-format GUID is the format tag followed by these 14 bytes.
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The data size a program writing to a pipe gives, not knowing the length.
constexpr std::uint32_t kUnknownLength = 0xFFFFFFFF;
constexpr std::size_t kMaxFloatChannels = 0xFFFF / 4; // the block size is 16 bits
// As many as libsndfile reads; each channel is rendered by a plug-in of its own.
constexpr std::uint16_t kMaxReadChannels = 1024;

std::uint16_t get16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t get32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

struct WavFormat {
    std::uint16_t channels;
    std::uint32_t sampleRate;
    std::uint16_t bits;
    bool isFloat;
    std::size_t frameBytes() const { return std::size_t{channels} * (bits / 8u); }
};

class WavSource final : public AudioSource {
public:
    WavSource(FilePtr file, const std::string& name) : name(name), file(std::move(file))
    {
        fileSize = sizeOfFile();
        unsigned char riff[12];
        if (fileSize < sizeof riff || !readAt(0, riff, sizeof riff))
            fail("not a WAV file (unrecognised format)");
        if (std::memcmp(riff, "RIFX", 4) == 0 || std::memcmp(riff, "RF64", 4) == 0)
            fail(std::string(reinterpret_cast<const char*>(riff), 4) +
                 " WAV files are not supported");
        if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
            fail("not a WAV file (unrecognised format)");
        scanChunks();
        framesLeft = dataBytes / format.frameBytes();
        totalFrames = framesLeft;
    }

    double sampleRate() const override { return format.sampleRate; }
    std::size_t channels() const override { return format.channels; }
    std::optional<std::uint64_t> frames() const override { return totalFrames; }
    std::string truncation() const override
    {
        return promisedFrames ? TruncationText(name, "truncated", promisedFrames, totalFrames) : "";
    }

    std::size_t read(float* out, std::size_t maxFrames) override
    {
        const auto frames =
            static_cast<std::size_t>(std::min<std::uint64_t>(maxFrames, framesLeft));
        if (frames == 0)
            return 0;
        bytes.resize(frames * format.frameBytes());
        if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
            if (std::ferror(file.get()))
                fail(std::string("read failed: ") + std::strerror(errno));
            damaged("the audio data ends early");
        }
        decode(out, frames * format.channels);
        framesLeft -= frames;
        return frames;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw AudioFileError(name + ": " + what);
    }

    // Worded as libsndfile's problems are, for the same problems.
    [[noreturn]] void damaged(const std::string& what) const
    {
        fail("damaged or truncated (" + what + ")");
    }

    std::uint64_t sizeOfFile()
    {
#if defined(_WIN32)
        const long long size = _fseeki64(file.get(), 0, SEEK_END) == 0 ? _ftelli64(file.get()) : -1;
#else
        const off_t size = fseeko(file.get(), 0, SEEK_END) == 0 ? ftello(file.get()) : -1;
#endif
        if (size < 0)
            fail(std::string("cannot read its size: ") + std::strerror(errno));
        return static_cast<std::uint64_t>(size);
    }

    void seek(std::uint64_t position)
    {
#if defined(_WIN32)
        const int failed = _fseeki64(file.get(), static_cast<long long>(position), SEEK_SET);
#else
        const int failed = fseeko(file.get(), static_cast<off_t>(position), SEEK_SET);
#endif
        if (failed != 0)
            fail("cannot seek to byte " + std::to_string(position));
    }

    bool readAt(std::uint64_t position, unsigned char* out, std::size_t size)
    {
        seek(position);
        return std::fread(out, 1, size, file.get()) == size;
    }

    // Finds the fmt and data chunks in either order, skipping all others,
    // and leaves the file at the start of the data.
    void scanChunks()
    {
        std::optional<WavFormat> found;
        std::optional<std::uint64_t> dataStart;
        std::optional<std::uint64_t> promisedBytes; // the header's, when the file holds fewer
        bool streamed = false; // written without its length: the audio runs to the end
        for (std::uint64_t position = 12; !(found && dataStart);) {
            if (position >= fileSize)
                damaged(found ? "no audio data found" : "no format header found");
            unsigned char header[8];
            if (fileSize - position < sizeof header || !readAt(position, header, sizeof header))
                damaged("a chunk header is cut off at byte " + std::to_string(position));
            const std::uint32_t size = get32(header + 4);
            const std::uint64_t body = position + sizeof header;
            if (std::memcmp(header, "fmt ", 4) == 0) {
                // Only the first 40 bytes (the extensible layout) matter.
                std::vector<unsigned char> chunk(std::min<std::uint32_t>(size, 40));
                if (fileSize - body < size || !readAt(body, chunk.data(), chunk.size()))
                    damaged("bad format header");
                found = parseFormat(chunk);
            } else if (std::memcmp(header, "data", 4) == 0) {
                dataStart = body;
                dataBytes = std::min<std::uint64_t>(size, fileSize - body);
                streamed = size == kUnknownLength;
                if (dataBytes < size && !streamed)
                    promisedBytes = size;
            }
            position = body + size + (size & 1); // chunks are padded to even sizes
        }
        format = *found;
        // A file cut short, or streamed: the whole frames it holds.
        if (promisedBytes || streamed)
            dataBytes -= dataBytes % format.frameBytes();
        if (promisedBytes) {
            promisedFrames = *promisedBytes / format.frameBytes();
            if (dataBytes == 0)
                RefuseTruncatedToNothing(name, promisedFrames);
        }
        if (dataBytes % format.frameBytes() != 0)
            damaged("its " + std::to_string(dataBytes) +
                    " bytes of audio are not a whole number of " +
                    std::to_string(format.frameBytes()) + "-byte frames");
        seek(*dataStart);
    }

    WavFormat parseFormat(const std::vector<unsigned char>& chunk) const
    {
        if (chunk.size() < 16)
            damaged("bad format header: " + std::to_string(chunk.size()) + " bytes long");
        std::uint16_t tag = get16(&chunk[0]);
        if (tag == kFormatExtensible) {
            if (chunk.size() < 40)
                damaged("bad format header: " + std::to_string(chunk.size()) +
                        " bytes long, extensible");
            if (std::memcmp(&chunk[26], kSubFormatTail, sizeof kSubFormatTail) != 0)
                fail("unknown extensible sub-format");
            tag = get16(&chunk[24]);
        }
        if (tag != kFormatPcm && tag != kFormatFloat) {
            std::ostringstream message;
            message << "compressed or unknown WAV encoding (format tag 0x" << std::hex << tag
                    << "); only integer PCM and IEEE float are supported";
            fail(message.str());
        }
        const WavFormat format{get16(&chunk[2]), get32(&chunk[4]), get16(&chunk[14]),
                               tag == kFormatFloat};
        const std::string kind = format.isFloat ? "-bit float" : "-bit PCM";
        if (format.isFloat
                ? format.bits != 32 && format.bits != 64
                : format.bits != 8 && format.bits != 16 && format.bits != 24 && format.bits != 32)
            fail(std::to_string(format.bits) + kind + " samples are not supported");
        if (format.channels == 0)
            fail("its header gives 0 channels");
        if (format.channels > kMaxReadChannels)
            fail("its header gives " + std::to_string(format.channels) + " channels (at most " +
                 std::to_string(kMaxReadChannels) + " can be read)");
        if (format.sampleRate == 0)
            fail("its header gives a sample rate of 0 Hz");
        if (get16(&chunk[12]) != format.frameBytes())
            damaged("bad format header: block size " + std::to_string(get16(&chunk[12])) +
                    " does not match " + std::to_string(format.channels) + " channels of " +
                    std::to_string(format.bits) + kind);
        return format;
    }

    void decode(float* out, std::size_t count) const
    {
        const unsigned char* in = bytes.data();
        for (std::size_t i = 0; i < count; ++i) {
            switch (format.bits) {
            case 8: out[i] = static_cast<float>(in[i] - 128) * (1.0f / 128); break;
            case 16: out[i] = static_cast<std::int16_t>(get16(in + 2 * i)) * (1.0f / 32768); break;
            case 24: {
                const unsigned char* p = in + 3 * i;
                const auto value =
                    static_cast<std::int32_t>(std::uint32_t{p[0]} << 8 | std::uint32_t{p[1]} << 16 |
                                              std::uint32_t{p[2]} << 24);
                out[i] = static_cast<float>(value >> 8) * (1.0f / 8388608);
                break;
            }
            case 32:
                if (format.isFloat)
                    std::memcpy(&out[i], in + 4 * i, 4);
                else
                    out[i] = static_cast<float>(static_cast<std::int32_t>(get32(in + 4 * i))) *
                             (1.0f / 2147483648.0f);
                break;
            default: { // 64-bit float
                double value;
                std::memcpy(&value, in + 8 * i, 8);
                out[i] = static_cast<float>(value);
            }
            }
        }
    }

    std::string name;
    FilePtr file;
    std::uint64_t fileSize = 0;
    WavFormat format{};
    std::uint64_t dataBytes = 0;
    std::optional<std::uint64_t> promisedFrames; // when the file holds fewer
    std::uint64_t totalFrames = 0;
    std::uint64_t framesLeft = 0;
    std::vector<unsigned char> bytes;
};

void put16(std::vector<unsigned char>& out, std::uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}
void put32(std::vector<unsigned char>& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}
void putTag(std::vector<unsigned char>& out, const char (&tag)[5])
{
    out.insert(out.end(), tag, tag + 4);
}

// Writes 32-bit float: WAVE_FORMAT_IEEE_FLOAT up to two channels,
// WAVE_FORMAT_EXTENSIBLE beyond; both with a fact chunk. The header is
// written first with sizes of zero and again with the real sizes on commit.
class WavSink final : public AudioSink {
public:
    WavSink(const std::string& path, std::size_t channels, double sampleRate)
        : channels(checkedChannels(path, channels)),
          sampleRate(WholeSampleRate(path, sampleRate)),
          temporary(path),
          stream(temporary)
    {
        writeHeader();
    }

    void write(const float* interleaved, std::size_t frames) override
    {
        const std::uint64_t more = std::uint64_t{frames} * channels * 4;
        if (more > kMaxRiffSize - riffHeaderBytes() - dataBytes)
            throw AudioFileError(temporary.target() + ": WAV output cannot exceed 4 GiB");
        stream.write(interleaved, static_cast<std::size_t>(more));
        dataBytes += more;
    }

    bool integerSamples() const override { return false; }

    void commit() override
    {
        stream.rewind();
        writeHeader();
        stream.close();
        temporary.commit();
    }

private:
    static constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFF;

    static std::uint16_t checkedChannels(const std::string& path, std::size_t channels)
    {
        if (channels == 0 || channels > kMaxFloatChannels)
            throw AudioFileError(path + ": a 32-bit float WAV file cannot hold " +
                                 std::to_string(channels) + " channels");
        return static_cast<std::uint16_t>(channels);
    }

    // The RIFF chunk's bytes before the samples.
    std::uint32_t riffHeaderBytes() const { return channels > 2 ? 72 : 50; }

    void writeHeader()
    {
        const bool extensible = channels > 2;
        const auto frameBytes = static_cast<std::uint32_t>(channels * 4);
        const auto data = static_cast<std::uint32_t>(dataBytes);
        std::vector<unsigned char> out;
        putTag(out, "RIFF");
        put32(out, riffHeaderBytes() + data);
        putTag(out, "WAVE");
        putTag(out, "fmt ");
        put32(out, extensible ? 40 : 18);
        put16(out, extensible ? kFormatExtensible : kFormatFloat);
        put16(out, channels);
        put32(out, static_cast<std::uint32_t>(sampleRate));
        put32(out, static_cast<std::uint32_t>(sampleRate) * frameBytes);
        put16(out, frameBytes);
        put16(out, 32);
        put16(out, extensible ? 22 : 0);
        if (extensible) {
            put16(out, 32); // valid bits
            put32(out, 0);  // no speaker positions
            put16(out, kFormatFloat);
            out.insert(out.end(), std::begin(kSubFormatTail), std::end(kSubFormatTail));
        }
        putTag(out, "fact");
        put32(out, 4);
        put32(out, data / frameBytes);
        putTag(out, "data");
        put32(out, data);
        stream.write(out.data(), out.size());
    }

    std::uint16_t channels;
    int sampleRate;
    TemporaryOutput temporary;
    OutputStream stream;
    std::uint64_t dataBytes = 0;
};

} // namespace

std::unique_ptr<AudioSource> OpenWavSource(FilePtr file, const std::string& name)
{
    return std::make_unique<WavSource>(std::move(file), name);
}

std::unique_ptr<AudioSource> OpenWavSource(const std::string& path)
{
    return OpenWavSource(OpenInputFile(path), path);
}

std::unique_ptr<AudioSink> CreateWavSink(const std::string& path, std::size_t channels,
                                         double sampleRate)
{
    return std::make_unique<WavSink>(path, channels, sampleRate);
}
