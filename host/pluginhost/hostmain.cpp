#include "hostmain.h"

#include <iostream>
#include <string>
#include <vector>

#include "host/audio/audiofile.h"
#include "host/files/outputfile.h"
#include "pluginrender.h"

int RunHost(const HostCommand& command, const PluginLoader& load, int argc, char** argv)
{
    InstallInterruptCleanup();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        const HostOptions options = ParseHostOptions(command, arguments);
        if (options.help) {
            std::cout << HostUsageText(command);
            return 0;
        }
        RenderThroughPlugin(command, options, load, std::cout, std::cerr);
        return 0;
    } catch (const HostInputError& e) {
        std::cerr << command.name << ": " << e.what() << '\n';
        return 2;
    } catch (const AudioFileError& e) {
        std::cerr << command.name << ": " << e.what() << '\n';
        return 2;
    } catch (const OutputFileError& e) {
        std::cerr << command.name << ": " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << command.name << ": " << e.what() << '\n';
        return 1;
    }
}
