// The bundled demo capture is what the command in its README writes.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "GeneratedCapture.h"
#include "sibuild/CaptureCommandLine.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The arguments of the gencapture command in the README, continuation lines joined.
std::vector<std::string> DocumentedArguments(const std::string& readme) {
    const size_t begin = readme.find("build/bin/gencapture ");
    if (begin == std::string::npos)
        return {};
    std::string command;
    for (size_t at = begin;;) {
        const size_t end = readme.find('\n', at);
        std::string line = readme.substr(at, end - at);
        const bool continued = !line.empty() && line.back() == '\\';
        command += continued ? line.substr(0, line.size() - 1) : line;
        if (!continued || end == std::string::npos)
            break;
        at = end + 1;
    }
    std::istringstream words(command);
    std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    args.erase(args.begin());  // the program
    return args;
}

TEST(DemoCapture, IsWhatItsDocumentedCommandWrites) {
    const std::string samples = std::string(EPG_SOURCE_DIR) + "/samples/";
    const std::vector<std::string> args = DocumentedArguments(ReadFile(samples + "README.md"));
    ASSERT_FALSE(args.empty());
    const sibuild::CaptureCommand command = sibuild::ParseCaptureCommand(args, 0);
    EXPECT_EQ(command.outPath, "samples/demo.ts");
    const GeneratedCapture capture = Generate(command.options);
    const std::string file = ReadFile(samples + "demo.ts");
    const std::vector<uint8_t> demo(file.begin(), file.end());
    EXPECT_LE(demo.size(), (3u << 20) + 188);  // small enough to bundle
    EXPECT_TRUE(demo == capture.bytes)
        << "regenerate samples/demo.ts with the command in samples/README.md";
}

}  // namespace
