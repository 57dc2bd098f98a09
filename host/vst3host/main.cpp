// vst3host: renders a sound file through a VST3 bundle as a host does.
#include <iostream>
#include <string>
#include <vector>

#include "host/audio/audiofile.h"
#include "host/files/outputfile.h"
#include "hostoptions.h"
#include "vst3render.h"

int main(int argc, char** argv)
{
    InstallInterruptCleanup();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        const HostOptions options = ParseHostOptions(arguments);
        if (options.help) {
            std::cout << HostUsageText();
            return 0;
        }
        RenderThroughVst3(options, std::cout, std::cerr);
        return 0;
    } catch (const HostInputError& e) {
        std::cerr << "vst3host: " << e.what() << '\n';
        return 2;
    } catch (const AudioFileError& e) {
        std::cerr << "vst3host: " << e.what() << '\n';
        return 2;
    } catch (const OutputFileError& e) {
        std::cerr << "vst3host: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "vst3host: " << e.what() << '\n';
        return 1;
    }
}
