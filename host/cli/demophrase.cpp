#include "demophrase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr double kBeat = 0.5; // seconds at 120 BPM
constexpr double kLength = 16 * kBeat;
constexpr double kPeak = 0.5;

// A small deterministic noise source (xorshift32), uniform in -1..1.
class Noise {
public:
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483647.5 - 1.0;
    }

private:
    std::uint32_t state = 0x2545F491u;
};

std::size_t sampleAt(double seconds, double rate)
{
    return static_cast<std::size_t>(seconds * rate);
}

// A plucked string (Karplus-Strong): a noise burst circulating in a delay
// line one period long, averaged and damped on each pass.
void pluck(std::vector<double>& out, double rate, double at, double hz, double level, Noise& noise)
{
    const auto period = std::max<std::size_t>(2, static_cast<std::size_t>(rate / hz));
    std::vector<double> line(period);
    for (double& x : line)
        x = noise.next() * level;
    const std::size_t start = sampleAt(at, rate);
    const std::size_t length = std::min(out.size() - start, sampleAt(1.5, rate));
    double previous = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        double& x = line[i % period];
        out[start + i] += x;
        const double averaged = 0.5 * (x + previous) * 0.996;
        previous = x;
        x = averaged;
    }
}

// A kick: a sine falling from 120 Hz to 45 Hz under a fast decay.
void kick(std::vector<double>& out, double rate, double at)
{
    const std::size_t start = sampleAt(at, rate);
    const std::size_t length = std::min(out.size() - start, sampleAt(0.4, rate));
    double phase = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double hz = 45.0 + 75.0 * std::exp(-t * 30.0);
        phase += 2.0 * std::numbers::pi * hz / rate;
        out[start + i] += 0.9 * std::sin(phase) * std::exp(-t * 9.0);
    }
}

// A snare: high-passed noise with a short tone, decaying fast.
void snare(std::vector<double>& out, double rate, double at, Noise& noise)
{
    const std::size_t start = sampleAt(at, rate);
    const std::size_t length = std::min(out.size() - start, sampleAt(0.3, rate));
    double previous = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double n = noise.next();
        const double highPassed = n - previous;
        previous = n;
        out[start + i] += (0.45 * highPassed + 0.3 * std::sin(2.0 * std::numbers::pi * 190.0 * t)) *
                          std::exp(-t * 22.0);
    }
}

} // namespace

std::vector<float> DemoPhrase(double sampleRate)
{
    std::vector<double> mix(sampleAt(kLength, sampleRate), 0.0);
    Noise noise;

    // Beats (in 8ths from the start) and pitches of the plucked line: A minor
    // pentatonic, three busy bars, then two notes left to echo.
    struct Note {
        int eighth;
        double hz;
    };
    constexpr Note kNotes[] = {
        {0, 220.00},  {3, 261.63},  {4, 293.66},  {6, 329.63},  {8, 392.00},
        {10, 329.63}, {11, 293.66}, {14, 261.63}, {16, 220.00}, {18, 329.63},
        {19, 392.00}, {20, 440.00}, {22, 392.00}, {24, 220.00}, {27, 261.63},
    };
    for (const Note& note : kNotes)
        pluck(mix, sampleRate, note.eighth * kBeat / 2.0, note.hz, 0.6, noise);

    for (int beat = 0; beat < 12; ++beat) {
        if (beat % 2 == 0)
            kick(mix, sampleRate, beat * kBeat);
        else
            snare(mix, sampleRate, beat * kBeat, noise);
    }
    kick(mix, sampleRate, 12 * kBeat);
    snare(mix, sampleRate, 13 * kBeat, noise);

    double peak = 0.0;
    for (const double x : mix)
        peak = std::max(peak, std::fabs(x));
    std::vector<float> phrase(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i)
        phrase[i] = static_cast<float>(mix[i] * kPeak / peak);
    return phrase;
}
