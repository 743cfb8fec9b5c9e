#include "BinaryFixture.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

void BinaryTest::SetUp() {
    char name[] = "/tmp/epgharvest-app-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
}

void BinaryTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void BinaryTest::WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(Path(name), std::ios::binary) << content;
}

void BinaryTest::WriteFile(const std::string& name, const std::vector<uint8_t>& content) const {
    std::ofstream file(Path(name), std::ios::binary);
    file.write(reinterpret_cast<const char*>(content.data()),
               static_cast<std::streamsize>(content.size()));
}

std::string BinaryTest::ReadFile(const std::string& name) const {
    std::ifstream file(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool BinaryTest::Exists(const std::string& name) const {
    return std::filesystem::exists(Path(name));
}

std::vector<std::string> BinaryTest::Argv(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{Binary()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

ChildOptions BinaryTest::InFolder() const {
    ChildOptions options;
    options.workingDirectory = folder;
    return options;
}

ChildResult BinaryTest::Run(const std::vector<std::string>& arguments) const {
    return ChildProcess(Argv(arguments), InFolder()).Wait();
}

std::string DocumentHead(const std::string& escapedConfigPath) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\r\n"
           "<tv source-info-name=\"DVB Broadcast " +
           escapedConfigPath + "\" generator-info-name=\"DVB EPG Generator for " +
           escapedConfigPath + "\">\r\n";
}
