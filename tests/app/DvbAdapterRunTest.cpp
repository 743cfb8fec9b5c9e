// Runs with the [Tuner] section only, where the Linux DVB adapters are the tuners: without any
// adapter the build finds an empty tuner category, and an adapter that cannot be opened says
// why; both end through the failed build with exit code 2 and the document's head alone.

#include <filesystem>

#include "BinaryFixture.h"
#include "support/ScopedEnvironment.h"

namespace {

class DvbAdapterRun : public BinaryTest {
protected:
    void SetUp() override {
        BinaryTest::SetUp();
        std::filesystem::create_directory(Path("dvb"));
        WriteFile("config.ini", "[Tuner]\nTransponder=12303000\nSignalPolarisation=0\n");
    }
};

const char failedBuild[] =
    "Cannot load tuner device and connect network provider\n"
    "Err: Could not Build the DVB-S BDA FilterGraph.\n";

TEST_F(DvbAdapterRun, WithoutAnyAdapterTheBuildFindsNoTuner) {
    ScopedEnvironment root("EPGHARVEST_DVB_ROOT", Path("dvb"));
    const ChildResult result = Run({"config.ini", "guide.xml"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, std::string("LoadFilter(): Class not found, CreateClassEnumerator "
                                      "returned S_FALSE\n") +
                              failedBuild);
    EXPECT_EQ(ReadFile("guide.xml"), DocumentHead("config.ini"));
}

TEST_F(DvbAdapterRun, AnAdapterThatCannotBeOpenedSaysWhy) {
    // A frontend that is a plain file: no device behind it.
    std::filesystem::create_directory(Path("dvb/adapter0"));
    WriteFile("dvb/adapter0/frontend0", "");
    ScopedEnvironment root("EPGHARVEST_DVB_ROOT", Path("dvb"));
    const ChildResult result = Run({"config.ini", "guide.xml"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out,
              "Loading filter \"DVB adapter0 frontend0\"\n"
              "Cannot open " +
                  Path("dvb/adapter0/frontend0") +
                  ": no such device (is the adapter's driver loaded?)\n" + failedBuild);
    EXPECT_EQ(ReadFile("guide.xml"), DocumentHead("config.ini"));
}

}  // namespace
