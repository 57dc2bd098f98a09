// An X server of the test's own (Xvfb on a display number it picks itself,
// with Mesa's software OpenGL), for windows a test opens; stopped with the
// test.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/shell.h"

class XvfbServer {
public:
    // Xvfb writes the display number it took to descriptor 3 once it
    // accepts clients.
    XvfbServer()
        : numberFile(
              std::filesystem::temp_directory_path() /
              ("tapedelay-xvfb-" + std::to_string(getpid()) + "-" + std::to_string(++servers))),
          server("Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>" + numberFile.string())
    {
        for (int i = 0; i < 100 && name.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::string number;
            if (std::getline(std::ifstream(numberFile), number) && !number.empty())
                name = ":" + number;
        }
    }
    ~XvfbServer() { std::filesystem::remove(numberFile); }

    bool running() const { return !name.empty(); }
    // The display's name, ":N".
    const std::string& display() const { return name; }
    // What a command line puts before an X client: this display, and
    // Mesa's software renderer whatever the machine has.
    std::string environment() const { return "DISPLAY=" + name + " LIBGL_ALWAYS_SOFTWARE=1"; }

private:
    static inline int servers = 0; // started by this process
    std::filesystem::path numberFile;
    BackgroundCommand server; // stopped, and waited for, with the test
    std::string name;
};
