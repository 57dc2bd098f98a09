// The tables of the editor's extensions a CLAP host asks the plug-in for:
// gui, timer-support and, on Linux, posix-fd-support.
#pragma once

// The table of the extension with that ID, or null when it is none of
// these.
const void* GuiExtension(const char* id);
