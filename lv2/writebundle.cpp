// tapedelay_lv2_bundle PLUGIN_LIBRARY BUNDLE_DIR BINARY_FILE UI_BINARY_FILE:
// writes the bundle's description files, read from the plug-in library
// itself.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "bundletext.h"
#include "host/runtime/pluginlibrary.h"

namespace {

// Written beside, then renamed: a failed build leaves no half file.
void writeFile(const std::filesystem::path& path, const std::string& text)
{
    const std::filesystem::path temporary = path.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + temporary.string());
    }
    std::filesystem::rename(temporary, path);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: tapedelay_lv2_bundle PLUGIN_LIBRARY BUNDLE_DIR BINARY_FILE "
                             "UI_BINARY_FILE\n");
        return 2;
    }
    try {
        PluginLibrary library(argv[1]);
        const PluginDescription description = DescribeLibrary(library);
        const std::filesystem::path bundle = argv[2];
        std::filesystem::create_directories(bundle);
        writeFile(bundle / "manifest.ttl", ManifestText(argv[3], argv[4]));
        for (const BundlePlugin& plugin : kBundlePlugins)
            writeFile(bundle / plugin.file, PluginText(description, plugin));
        writeFile(bundle / kPresetsFile, PresetsText(description));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tapedelay_lv2_bundle: %s\n", failure.what());
        return 1;
    }
    return 0;
}
