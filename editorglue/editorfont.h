// Where a format's module finds the editor's font: beside the plug-in
// library it loads, in the same bundle folder.
#pragma once

#include <filesystem>
#include <string>

#include "editor/editor.h"

inline std::string EditorFontBeside(const std::string& libraryPath)
{
    return (std::filesystem::path(libraryPath).parent_path() / kEditorFontFile).string();
}
