// The tapedelay command's subcommands: one table (tapedelaycommand.cpp)
// names each with its summary, its options and operands, its usage text and
// its run, and the top-level help, the dispatch and the shared opening
// (options parsed, --help answered, operands counted) all read it. Usage and
// input errors are thrown as UsageError, ParameterValueError, AudioFileError,
// OutputFileError or PluginLoadError, internal failures as other exceptions.
#pragma once

#include <string>
#include <vector>

#include "commandline.h"

// The whole command line after the program name; never throws.
int RunTapedelay(const std::vector<std::string>& arguments);

// Each subcommand's --help text, and its run once the opening has passed.
std::string RenderUsage();
int RenderCommand(const CommandLine& line);
std::string DescribeUsage();
int DescribeCommand(const CommandLine& line);
std::string PresetsUsage();
int PresetsCommand(const CommandLine& line);
std::string DemoUsage();
int DemoCommand(const CommandLine& line);
std::string PlotUsage();
int PlotCommand(const CommandLine& line);
