// A test of the real textcrypt-cli: a folder of its own for the files it
// reads, and the program run on arguments and standard input.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/cli/run_program.h"

namespace cli_test {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/textcrypt-cli-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string File(const std::string& name, const std::string& content) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  Finished Run(std::vector<std::string> args, std::string input = {}) {
    Launch launch;
    launch.args = std::move(args);
    launch.standardInput = std::move(input);
    return RunProgram(TEXTCRYPT_CLI_PATH, launch);
  }

  std::string dir_;
};

}  // namespace cli_test
