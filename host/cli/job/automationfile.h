// Automation files: parameter changes, taps and session tempo changes for a
// render, one event a line, as the --at, --tap and --session-bpm options
// give them:
//
//   # comment (also after an event); blank lines are skipped
//   4.0   time         0.6     same as --at 4.0:time=0.6
//   8.0   tap          140     same as --tap 8.0:140
//   12.0  session-bpm  96      same as --session-bpm 12.0:96
//   1:30  Delay Time   300ms   at 90 s; a name with spaces as it is
#pragma once

#include <string>

#include "host/render/renderjob.h"
#include "host/runtime/plugindescription.h"

// Appends the file's events to job's, in the file's order. Throws UsageError
// for a file that cannot be read, and for a malformed line, a name that is
// no parameter or a value out of range, naming the file and line
// ("song.txt:3: ...").
void ReadAutomationFile(const std::string& path, const PluginDescription& description,
                        RenderJob& job);
