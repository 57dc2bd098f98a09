// The plug-in formats the project's test hosts render through: each host,
// its plug-in file, and where a MinGW build puts the Windows pair.
#pragma once

#include <ostream>
#include <string>

#include "tests/support/pluginhostrun.h"

struct PluginFormat {
    const char* name;          // for the test's name
    const char* program;       // the host, native build
    const char* pluginFile;    // the plug-in it loads, native build
    const char* windowsHost;   // within a MinGW build directory
    const char* windowsPlugin; // within a MinGW build directory
};

inline const PluginFormat kPluginFormats[] = {
    {"Vst3", TAPEDELAY_VST3HOST, TAPEDELAY_VST3_BUNDLE, "bin/vst3host.exe",
     "vst3-path/tapedelay.vst3"},
    {"Clap", TAPEDELAY_CLAPHOST, TAPEDELAY_CLAP_FILE, "bin/claphost.exe",
     "clap-path/tapedelay.clap"},
};

inline std::ostream& operator<<(std::ostream& out, const PluginFormat& format)
{
    return out << format.name;
}

inline std::string FormatName(const ::testing::TestParamInfo<PluginFormat>& info)
{
    return info.param.name;
}

// A fixture for one format's host and plug-in.
struct FormatRun : PluginHostRun, ::testing::WithParamInterface<PluginFormat> {
    FormatRun() : PluginHostRun(GetParam().program, GetParam().pluginFile) {}
    // The host's own name, as it starts its messages.
    std::string hostName() const { return program.substr(program.find_last_of("/\\") + 1); }
};
