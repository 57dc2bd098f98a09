// What a user does on an X server of the test's own with xdotool and
// ImageMagick: find a window, drag and click, take a screenshot, compare
// two.
#pragma once

#include <cstdlib>
#include <string>

#include "tests/support/shell.h"
#include "tests/support/xvfb.h"

class XvfbDisplay : public XvfbServer {
public:
    // An xdotool or ImageMagick command on this display.
    Outcome run(const std::string& command) const { return Shell(environment() + " " + command); }

    // The first visible window whose title matches `pattern` (a regular
    // expression), waited for up to `seconds`; empty when none came.
    std::string window(const std::string& pattern, int seconds = 60) const
    {
        const Outcome found = run("timeout " + std::to_string(seconds) +
                                  " xdotool search --sync --onlyvisible --name '" + pattern + "'");
        return found.status == 0 ? found.output.substr(0, found.output.find('\n')) : "";
    }
    // Its width and height in pixels.
    std::pair<int, int> size(const std::string& window) const
    {
        const Outcome shape = run("xdotool getwindowgeometry --shell " + window);
        const auto field = [&](const std::string& name) {
            const std::size_t at = shape.output.find(name + "=");
            return at == std::string::npos ? 0
                                           : std::atoi(shape.output.c_str() + at + name.size() + 1);
        };
        return {field("WIDTH"), field("HEIGHT")};
    }
    // The window's contents with its children, as a PNG file. (import
    // waits for a click on the screen when the window has gone: the
    // timeout ends that.)
    bool screenshot(const std::string& window, const std::string& file) const
    {
        return run("timeout 20 import -silent -window " + window + " '" + file + "'").status == 0;
    }

    // A press at (x, y) within the window, moved by (dx, dy) in `steps`
    // steps, released.
    void drag(const std::string& window, int x, int y, int dx, int dy, int steps = 8) const
    {
        std::string moves;
        for (int i = 1; i <= steps; ++i)
            moves += " mousemove --window " + window + " " + std::to_string(x + dx * i / steps) +
                     " " + std::to_string(y + dy * i / steps) + " sleep 0.05";
        run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
            std::to_string(y) + " sleep 0.1 mousedown 1 sleep 0.1" + moves +
            " sleep 0.1 mouseup 1");
    }
    void click(const std::string& window, int x, int y) const
    {
        run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
            std::to_string(y) + " sleep 0.1 click 1");
    }
};

// How many pixels of two images differ by more than `fuzz` ("10%"), as
// ImageMagick's compare counts them (AE); -1 when they cannot be compared
// (a file missing or unreadable, or sizes that differ). `region`
// ("WxH+X+Y") limits the count to it.
inline long DifferentPixels(const std::string& a, const std::string& b, const std::string& fuzz,
                            const std::string& region = "")
{
    const auto shape = [](const std::string& file) {
        const Outcome size = Shell("identify -format '%wx%h' '" + file + "' 2>/dev/null", false);
        return size.status == 0 ? size.output : std::string();
    };
    if (shape(a).empty() || shape(a) != shape(b))
        return -1;
    const Outcome compared =
        Shell("compare -metric AE -fuzz " + fuzz + (region.empty() ? "" : " -extract " + region) +
              " '" + a + "' '" + b + "' null:");
    if (compared.status > 1 || compared.output.empty() ||
        compared.output.find_first_not_of("0123456789.e+\n") != std::string::npos)
        return -1;
    return std::atol(compared.output.c_str());
}
