// A progress bar on standard error for long renders, drawn only when
// standard error is a terminal.
#pragma once

#include <cstdint>
#include <optional>

class ProgressBar {
public:
    // enabled false (--quiet) or a standard error that is not a terminal
    // draws nothing.
    ProgressBar(bool enabled, double sampleRate);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(std::uint64_t done, std::optional<std::uint64_t> total);
    // Clears the bar so that what follows starts on a clean line.
    void finish();

private:
    bool active;
    double rate;
    int shown = -1; // the last step drawn: a percentage, or whole seconds
};
