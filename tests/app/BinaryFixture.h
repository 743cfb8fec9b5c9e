#pragma once
// Runs the epgharvest binary in a fresh temporary folder of its own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ChildProcess.h"

class BinaryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static std::string Binary() { return EPG_BINARY_DIR "/bin/epgharvest"; }
    std::string Path(const std::string& name) const { return folder + "/" + name; }
    void WriteFile(const std::string& name, const std::string& content) const;
    void WriteFile(const std::string& name, const std::vector<uint8_t>& content) const;
    std::string ReadFile(const std::string& name) const;
    bool Exists(const std::string& name) const;

    // The binary with these arguments, run in the folder.
    ChildResult Run(const std::vector<std::string>& arguments) const;
    std::vector<std::string> Argv(const std::vector<std::string>& arguments) const;
    ChildOptions InFolder() const;

    std::string folder;
};

// The three head lines for a configuration path as the attributes show it.
std::string DocumentHead(const std::string& escapedConfigPath);
