#include "automationfile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/runtime/values/seconds.h"
#include "rendersettings.h"

namespace {

// One event from a line's fields: the time, the name (all the fields between,
// so that "Delay Time" needs no quotes) and the value; errors are prefixed
// with where.
void readEvent(const std::vector<std::string>& fields, const std::string& where,
               const PluginDescription& description, RenderJob& job)
{
    if (fields.size() < 3)
        throw UsageError(where + ": expected TIME NAME VALUE, found " +
                         std::to_string(fields.size()) + " field" +
                         (fields.size() == 1 ? "" : "s"));
    std::string name = fields[1];
    for (std::size_t i = 2; i + 1 < fields.size(); ++i)
        name += " " + fields[i];
    const std::string& value = fields.back();
    const double time = ParseClockTime(fields[0], where + ": the time");
    if (time < 0.0)
        throw UsageError(where + ": the time " + fields[0] + " lies before the start");
    const std::string given = where + " (" + fields[0] + " " + name + " " + value + ")";
    if (name == "tap") {
        job.taps.push_back({time, ParseTempo(description, value, where), given});
    } else if (name == "session-bpm") {
        job.sessionTempos.push_back({time, ParseTempo(description, value, where), given});
    } else {
        job.changes.push_back({time, ParseAssignment(description, name + "=" + value, where)});
        job.changes.back().setting.given = given;
    }
}

} // namespace

void ReadAutomationFile(const std::string& path, const PluginDescription& description,
                        RenderJob& job)
{
    std::ifstream file(path);
    if (!file)
        throw UsageError("--automation: cannot read " + path + ": " + std::strerror(errno));
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string field; words >> field;)
            fields.push_back(field);
        if (fields.empty())
            continue;
        readEvent(fields, path + ":" + std::to_string(number), description, job);
    }
    if (file.bad())
        throw UsageError("--automation: cannot read " + path + ": " + std::strerror(errno));
}
