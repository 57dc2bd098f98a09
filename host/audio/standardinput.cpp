// Standard input: a sound file when its first bytes are a container's
// signature, otherwise headerless raw float. A sound file is copied to an
// anonymous temporary file first, since its reader needs to seek.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "audiobackends.h"

#include "host/files/outputfile.h"

namespace {

using namespace std::string_view_literals;

constexpr const char* kName = "standard input";

struct Signature {
    std::string_view bytes;
    bool wav; // read by the built-in codec too
};

// The signatures at the start of the containers libsndfile reads. As the
// first raw float samples, each would be an implausible value.
constexpr Signature kSignatures[] = {
    {"RIFF"sv, true},
    {"RIFX"sv, true},
    {"RF64"sv, true},
    {"FORM"sv, false}, // AIFF, AIFF-C, 8SVX
    {"fLaC"sv, false},
    {"OggS"sv, false},
    {"caff"sv, false},
    {".snd"sv, false},                                                 // AU, big-endian
    {"dns."sv, false},                                                 // AU, little-endian
    {"riff\x2e\x91\xcf\x11\xa5\xd6\x28\xdb\x04\xc1\x00\x00"sv, false}, // W64
    {"NIST_1A\n"sv, false},
    {"Creative Voice File\x1a"sv, false},
    {"2BIT"sv, false}, // AVR
    {"PVF1"sv, false},
    {"MATLAB 5.0 MAT-file"sv, false},
};

constexpr std::size_t kPeekBytes = std::max_element(std::begin(kSignatures), std::end(kSignatures),
                                                    [](const Signature& a, const Signature& b) {
                                                        return a.bytes.size() < b.bytes.size();
                                                    })
                                       ->bytes.size();

const Signature* signatureOf(const std::vector<unsigned char>& head)
{
    const std::string_view start(reinterpret_cast<const char*>(head.data()), head.size());
    for (const Signature& signature : kSignatures)
        if (start.substr(0, signature.bytes.size()) == signature.bytes)
            return &signature;
    return nullptr;
}

[[noreturn]] void fail(const std::string& what, int error)
{
    throw AudioFileError(std::string(kName) + ": " + what + ": " + std::strerror(error));
}

// head, then the rest of standard input, in a file rewound to its start.
FilePtr copyOfStandardInput(const std::vector<unsigned char>& head)
{
    FilePtr copy(CreateScratchFile());
    if (!copy)
        fail("cannot create a temporary copy", errno);
    const auto put = [&](const unsigned char* bytes, std::size_t size) {
        if (std::fwrite(bytes, 1, size, copy.get()) != size)
            fail("cannot write its temporary copy", errno);
    };
    put(head.data(), head.size());
    std::vector<unsigned char> buffer(1 << 16);
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stdin))
        put(buffer.data(), got);
    if (std::ferror(stdin))
        fail("read failed", errno);
    if (std::fflush(copy.get()) != 0 || std::fseek(copy.get(), 0, SEEK_SET) != 0)
        fail("cannot write its temporary copy", errno);
    return copy;
}

} // namespace

std::unique_ptr<AudioSource> OpenStandardInput(double rawSampleRate)
{
    UseBinaryMode(0);
    std::vector<unsigned char> head(kPeekBytes);
    head.resize(std::fread(head.data(), 1, head.size(), stdin));
    if (std::ferror(stdin))
        fail("read failed", errno);
    const Signature* signature = signatureOf(head);
    if (signature == nullptr)
        return OpenRawStandardInput(rawSampleRate, std::move(head));
#if TAPEDELAY_HAVE_SNDFILE
    return OpenSndfileSource(copyOfStandardInput(head), kName);
#else
    if (!signature->wav)
        throw AudioFileError(std::string(kName) +
                             ": holds a sound file this build cannot read; it reads only WAV and "
                             "raw float audio");
    return OpenWavSource(copyOfStandardInput(head), kName);
#endif
}
