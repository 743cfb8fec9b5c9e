// The command line, the output file and the configuration error, through the binary.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "BinaryFixture.h"

namespace {

const char configError[] = "Err: Could not find configuration file or Transponder=0.\n";

class CommandLineTest : public BinaryTest {};

TEST_F(CommandLineTest, WrongFormsPrintUsageWithTheProgramPathAndCreateNothing) {
    const std::vector<std::vector<std::string>> forms = {
        {},
        {"cfg.ini"},
        {"cfg.ini", "-s", "out.xml", "a", "b"},
        {"cfg.ini", "-S", "out.xml"},  // the switch is case-sensitive
        {"cfg.ini", "out.xml", "-s"},  // and has its one place
        {"cfg.ini", "--s", "out.xml"},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(testing::PrintToString(form));
        const ChildResult result = Run(form);
        EXPECT_EQ(result.exitCode, 255);  // -1
        EXPECT_EQ(result.err, "Usage: " + Binary() + " configfile [-s] <output_file_name>\n");
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(Exists("out.xml"));
        EXPECT_FALSE(Exists("-s"));
        EXPECT_FALSE(Exists("-S"));
    }
}

// With no configuration file the run stops after the head, so each form shows which file it
// wrote and which arguments it ignored.
TEST_F(CommandLineTest, AcceptedFormsWriteTheHeadToTheirOutputFile) {
    struct Form {
        std::vector<std::string> arguments;
        std::string written;
        std::vector<std::string> notCreated;
    };
    const Form forms[] = {
        {{"missing.ini", "out.xml"}, "out.xml", {}},
        {{"missing.ini", "-s", "out.xml"}, "out.xml", {"-s"}},
        {{"missing.ini", "out.xml", "a", "b"}, "out.xml", {"a", "b"}},
        // Four arguments: the second is the output file even when it reads "-s".
        {{"missing.ini", "-s", "out.xml", "a"}, "-s", {"out.xml", "a"}},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(testing::PrintToString(form.arguments));
        const ChildResult result = Run(form.arguments);
        EXPECT_EQ(result.exitCode, 255);
        EXPECT_EQ(result.out, configError);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(ReadFile(form.written), DocumentHead("missing.ini"));
        for (const std::string& name : form.notCreated)
            EXPECT_FALSE(Exists(name)) << name;
        std::remove(Path(form.written).c_str());
    }
}

TEST_F(CommandLineTest, ConfigurationWithoutTransponderStopsAfterTheHead) {
    WriteFile("notuner.ini", "[Capture]\nClock=system\n");
    WriteFile("zero.ini", "[Tuner]\nTransponder=0\nTimeout=5\n");
    for (const char* config : {"notuner.ini", "zero.ini"}) {
        SCOPED_TRACE(config);
        WriteFile("out.xml", std::string(10000, 'x'));  // an older, longer document goes
        const ChildResult result = Run({config, "out.xml"});
        EXPECT_EQ(result.exitCode, 255);
        EXPECT_EQ(result.out, configError);
        EXPECT_EQ(ReadFile("out.xml"), DocumentHead(config));
    }
}

// A [Capture] setting the platform refuses is a configuration error too: its own line, then
// the same end as a missing transponder.
TEST_F(CommandLineTest, RefusedCaptureSettingStopsAfterTheHead) {
    WriteFile("clock.ini", "[Tuner]\nTransponder=12303000\n[Capture]\nClock=yesterday\n");
    const ChildResult result = Run({"clock.ini", "out.xml"});
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_NE(result.out.find("yesterday"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Loading filter"), std::string::npos) << result.out;
    EXPECT_EQ(ReadFile("out.xml"), DocumentHead("clock.ini"));
}

TEST_F(CommandLineTest, OutputInAMissingFolderCannotBeOpened) {
    WriteFile("cfg.ini", "[Tuner]\nTransponder=12303000\n");
    const ChildResult result = Run({"cfg.ini", "nowhere/out.xml"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Can't open file nowhere/out.xml\n");
    EXPECT_EQ(result.out, "");  // nothing else was done
}

TEST_F(CommandLineTest, OutputThatIsAFolderCannotBeOpened) {
    std::filesystem::create_directory(Path("folder.xml"));
    const ChildResult result = Run({"cfg.ini", "folder.xml"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Can't open file folder.xml\n");
}

}  // namespace
