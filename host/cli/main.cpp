// tapedelay: renders audio through the tape-delay plug-in library, describes
// it, and plays its demo.
#include <string>
#include <vector>

#include "commands.h"
#include "host/files/outputfile.h"

int main(int argc, char** argv)
{
    InstallInterruptCleanup();
    return RunTapedelay(std::vector<std::string>(argv + 1, argv + argc));
}
