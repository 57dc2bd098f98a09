#include "editorsession.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "residentmemory.h"

namespace {

// Long enough for a few of an editor's timer ticks (about 30 a second).
constexpr double kCycleSeconds = 0.12;

struct DueChange {
    double seconds = 0.0;
    ParameterSetting setting;
};

std::string windowTitle(const HostCommand& command, const HostOptions& options)
{
    const std::size_t slash = options.plugin.find_last_of("/\\");
    return std::string(command.name) + ": " +
           (slash == std::string::npos ? options.plugin : options.plugin.substr(slash + 1));
}

void cycle(HostedPlugin& plugin, const HostOptions& options, HostWindow& window, RunLoop& loop,
           GestureLog& gestures, std::ostream& out)
{
    for (std::uint32_t i = 1; i <= options.editorCycles; ++i) {
        {
            const std::unique_ptr<PluginEditor> editor = plugin.openEditor(window, loop, gestures);
            window.show();
            loop.run(kCycleSeconds);
        }
        if (i == 1 || i == options.editorCycles)
            out << "resident memory after " << i << (i == 1 ? " cycle: " : " cycles: ")
                << ResidentBytes() / 1024 << " KiB" << std::endl;
    }
}

void session(HostedPlugin& plugin, const HostOptions& options, HostWindow& window, RunLoop& loop,
             GestureLog& gestures)
{
    std::vector<DueChange> changes;
    for (const EditorChange& change : options.editorChanges)
        changes.push_back({change.seconds, plugin.resolve(change.setting)});
    std::stable_sort(changes.begin(), changes.end(),
                     [](const auto& a, const auto& b) { return a.seconds < b.seconds; });

    const std::unique_ptr<PluginEditor> editor = plugin.openEditor(window, loop, gestures);
    window.show();
    const auto opened = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
    };
    for (const DueChange& change : changes) {
        loop.run(change.seconds - elapsed());
        if (window.closed())
            return;
        plugin.changeFromHost(change.setting);
    }
    loop.run(options.editorSeconds - elapsed());
}

} // namespace

void RunEditorSession(const HostCommand& command, const HostOptions& options, HostedPlugin& plugin,
                      std::ostream& out)
{
    HostWindow window(windowTitle(command, options), 400, 300);
    RunLoop loop(&window);
    GestureLog gestures(out);
    if (options.editorCycles > 0)
        cycle(plugin, options, window, loop, gestures, out);
    if (options.editorSeconds > 0.0)
        session(plugin, options, window, loop, gestures);
}
