// libsndfile's errors in plain words. Its four public codes are told apart by
// number; the rest by their text, which changes less between versions than
// their numbers do.
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "audiobackends.h"

namespace {

struct Wording {
    std::string_view fragment;
    const char* problem;
};

constexpr const char* kEncoding = "its audio is in an encoding this program cannot read";

// The first entry whose fragment the library's text, in lower case, holds wins.
constexpr Wording kWordings[] = {
    // The library checks the rate first of the fields it requires.
    {"sf_info struct incomplete", "its header gives a sample rate of 0 Hz"},
    {"channel count is zero", "its header gives 0 channels"},
    {"too many channels", "its header gives too many channels"},
    {"channel count", "its header gives an unusable number of channels"},
    {"no 'data'", "damaged or truncated (no audio data found)"},
    {"no sound data", "damaged or truncated (no audio data found)"},
    {"'fmt '", "damaged or truncated (bad format header)"},
    {"'comm'", "damaged or truncated (bad format header)"},
    {"bad header", "damaged or truncated (bad format header)"},
    {"flac", "damaged or truncated (bad FLAC data)"},
    {"unsupported", kEncoding},
    {"unknown encoding", kEncoding},
    {"unimplemented", kEncoding},
};

} // namespace

std::string SndfileProblem(int code)
{
    switch (code) {
    case SF_ERR_UNRECOGNISED_FORMAT: return "not a sound file (unrecognised format)";
    case SF_ERR_MALFORMED_FILE: return "damaged or truncated";
    case SF_ERR_UNSUPPORTED_ENCODING: return kEncoding;
    default: break;
    }
    const std::string text = sf_error_number(code);
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Wording& wording : kWordings)
        if (lower.find(wording.fragment) != std::string::npos)
            return wording.problem;
    // One the table does not know: the library's own words, for what they tell.
    return "damaged or unsupported (" + SndfileReason(text) + ")";
}

std::string SndfileReason(const std::string& text)
{
    constexpr std::string_view kSystem = "System error : ";
    const std::size_t start = text.rfind(kSystem, 0) == 0 ? kSystem.size() : 0;
    const std::size_t end = text.find_last_not_of(". ");
    return end == std::string::npos || end < start ? text : text.substr(start, end + 1 - start);
}
