#pragma once
// The command line: configfile [-s] <output_file_name>.

#include <optional>

struct CommandLine {
    const char* configPath = nullptr;
    const char* outputPath = nullptr;
    bool hideConsole = false;  // "-s" given in the three-argument form
};

// The accepted forms by the number of arguments after the program name: two (config,
// output), three (config, exactly "-s", output) and four (config, output, two ignored).
// Nothing for any other form.
std::optional<CommandLine> ParseCommandLine(int argc, char** argv);
