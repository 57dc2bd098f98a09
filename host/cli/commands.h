// The tapedelay command's subcommands. Each takes the arguments after its
// name and returns the exit status; usage and input errors are thrown as
// UsageError, ParameterValueError or AudioFileError, internal failures as
// other exceptions.
#pragma once

#include <string>
#include <vector>

// The whole command line after the program name; never throws.
int RunTapedelay(const std::vector<std::string>& arguments);

int RenderCommand(const std::vector<std::string>& arguments);
int DescribeCommand(const std::vector<std::string>& arguments);
int PresetsCommand(const std::vector<std::string>& arguments);
int DemoCommand(const std::vector<std::string>& arguments);
int PlotCommand(const std::vector<std::string>& arguments);
