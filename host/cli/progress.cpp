#include "progress.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#define TAPEDELAY_ISATTY(stream) _isatty(_fileno(stream))
#else
#include <unistd.h>
#define TAPEDELAY_ISATTY(stream) isatty(fileno(stream))
#endif

namespace {
constexpr int kBarWidth = 30;
}

ProgressBar::ProgressBar(bool enabled, double sampleRate)
    : active(enabled && TAPEDELAY_ISATTY(stderr) != 0),
      rate(sampleRate)
{}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update(std::uint64_t done, std::optional<std::uint64_t> total)
{
    if (!active)
        return;
    const double seconds = static_cast<double>(done) / rate;
    if (!total || *total == 0) {
        // Length unknown (a pipe): the audio time rendered, once a second.
        if (static_cast<int>(seconds) == shown)
            return;
        shown = static_cast<int>(seconds);
        std::fprintf(stderr, "\r  %.0f s rendered", seconds);
        std::fflush(stderr);
        return;
    }
    const int percent =
        static_cast<int>(static_cast<double>(done) * 100.0 / static_cast<double>(*total));
    if (percent == shown)
        return;
    shown = percent;
    char bar[kBarWidth + 1];
    const int filled = percent * kBarWidth / 100;
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\r  [%s] %3d%%  %.1f of %.1f s", bar, percent, seconds,
                 static_cast<double>(*total) / rate);
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (!active || shown < 0)
        return;
    // Blank the line and return to its start; works on any terminal.
    std::fprintf(stderr, "\r%*s\r", kBarWidth + 40, "");
    std::fflush(stderr);
    shown = -1;
}
