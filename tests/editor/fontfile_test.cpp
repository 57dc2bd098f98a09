// The panel's font is read whole and refused with a clear error when it is
// missing or no TrueType font, before any window exists.
#include <gtest/gtest.h>

#include <stdexcept>

#include "editor/fontfile.h"
#include "tests/support/scratchdirectory.h"

namespace {

using FontFile = ScratchDirectory;

// The message of what ReadFontFile throws, or "" when it reads the file.
std::string refusal(const std::string& path)
{
    try {
        ReadFontFile(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

TEST_F(FontFile, TheBundledFontReads)
{
    const std::vector<unsigned char> font = ReadFontFile(TAPEDELAY_EDITOR_FONT);
    EXPECT_EQ(font, readBytes(TAPEDELAY_EDITOR_FONT));
}

TEST_F(FontFile, MissingTruncatedAndForeignFilesAreRefusedByName)
{
    EXPECT_NE(refusal(path("absent.ttf")).find("absent.ttf"), std::string::npos);
    EXPECT_NE(refusal(dir.string()).find(dir.string()), std::string::npos);

    const Bytes font = readBytes(TAPEDELAY_EDITOR_FONT);
    const std::vector<std::pair<std::string, Bytes>> broken = {
        {"empty.ttf", {}},
        {"text.ttf", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!'}},
        {"header.ttf", Bytes(font.begin(), font.begin() + 12)},
        {"half.ttf", Bytes(font.begin(), font.begin() + static_cast<long>(font.size() / 2))},
    };
    for (const auto& [name, bytes] : broken) {
        writeBytes(path(name), bytes);
        const std::string message = refusal(path(name));
        EXPECT_NE(message.find(name), std::string::npos) << name << ": " << message;
    }
}

} // namespace
