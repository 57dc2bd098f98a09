// What the editor tests share: a host run in the background on a test
// display and waited for, screenshots of its window compared with the
// committed references (tests/editor/reference), the last one kept in the
// build's screenshot folder, and the memory open/close cycles took.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/scratchdirectory.h"
#include "tests/support/xvfbdisplay.h"

// Pixels more than 10% apart count as differing.
inline constexpr const char* kScreenFuzz = "10%";
// Screenshots match when at most 0.1% of the panel's (760 x 300) pixels
// differ.
inline constexpr long kPixelBudget = 228;
// What a hundred opens and closes of the editor may add to the resident
// memory (outside the sanitizer build, whose bookkeeping grows it more): a
// leak of 160 KB a close fails.
inline constexpr long kCycleGrowthKiB = 16384;

// The resident memory a host printed after the first and the last of its
// `--editor-cycles` ("resident memory after N cycles: K KiB"); 0 for one
// it did not print.
struct CycleMemory {
    long first = 0;
    long last = 0;
};
inline CycleMemory ResidentAfterCycles(const std::string& printed, int cycles)
{
    const auto kib = [&](const std::string& after) {
        const std::string line = "resident memory after " + after + ": ";
        const std::size_t at = printed.find(line);
        return at == std::string::npos ? 0L : std::atol(printed.c_str() + at + line.size());
    };
    return {kib("1 cycle"), kib(std::to_string(cycles) + " cycles")};
}

// A command run in the background on `display`, its output and exit status
// in files of `dir`.
class BackgroundRun {
public:
    BackgroundRun(const XvfbDisplay& display, const std::string& command, const std::string& dir)
        : log(dir + "/run.log"),
          status(dir + "/run.status")
    {
        Shell("export " + display.environment() + "; (" + command + " >'" + log +
              "' 2>&1; echo $? >'" + status + "') >/dev/null 2>&1 &");
    }
    // Waits up to five minutes for it to end; EXPECTs exit status 0. What
    // it printed.
    std::string finish() const
    {
        for (int i = 0; i < 3000 && !std::filesystem::exists(status); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(ScratchDirectory::readText(status), "0\n") << printed();
        return printed();
    }
    std::string printed() const { return ScratchDirectory::readText(log); }

private:
    std::string log;
    std::string status;
};

// Screenshots of the window, taken until one matches the reference within
// `budget` pixels or `seconds` have passed; the last is kept as `kept` in
// the build's screenshot folder, and a mismatch names both. Returns its
// path.
inline std::string ExpectShows(const XvfbDisplay& display, const std::string& window,
                               const std::string& reference, const std::string& kept, long budget,
                               double seconds)
{
    std::filesystem::create_directories(TAPEDELAY_EDITOR_SCREENSHOTS);
    const std::string shot = (std::filesystem::path(TAPEDELAY_EDITOR_SCREENSHOTS) / kept).string();
    const std::string expected =
        (std::filesystem::path(TAPEDELAY_EDITOR_REFERENCES) / reference).string();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long differing = -1;
    do {
        if (display.screenshot(window, shot))
            differing = DifferentPixels(shot, expected, kScreenFuzz);
        if (differing >= 0 && differing <= budget)
            return shot;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (std::chrono::steady_clock::now() < end);
    ADD_FAILURE() << "the window does not show " << expected << " ("
                  << (differing < 0 ? "no reference, or not of the window's size"
                                    : std::to_string(differing) + " pixels differ")
                  << "); it shows " << shot;
    return shot;
}
