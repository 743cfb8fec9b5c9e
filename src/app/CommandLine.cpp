#include "app/CommandLine.h"

#include <cstring>

std::optional<CommandLine> ParseCommandLine(int argc, char** argv) {
    switch (argc) {
        case 3:
            return CommandLine{argv[1], argv[2], false};
        case 4:
            // Byte for byte: "-S" or "--s" is not the switch.
            if (std::strcmp(argv[2], "-s") != 0)
                return std::nullopt;
            return CommandLine{argv[1], argv[3], true};
        case 5:
            // The two trailing arguments are ignored, and so is a second argument "-s": it
            // names the output file here.
            return CommandLine{argv[1], argv[2], false};
        default:
            return std::nullopt;
    }
}
