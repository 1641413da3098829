// Reading the command line: the forms that work and the usage errors.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace cli {
namespace {

CommandLine Parse(std::vector<std::string_view> args) {
  return ParseCommandLine(args);
}

TEST(CommandLine, ReadsOperationKeyAndFileInAnyOrder) {
  auto parsed = Parse({"--raw", "decrypt", "in.txt", "--key-file=k"});
  ASSERT_TRUE(std::holds_alternative<Request>(parsed));
  const Request request = std::get<Request>(parsed);
  EXPECT_EQ(request.operation, Operation::kDecrypt);
  EXPECT_TRUE(request.raw);
  EXPECT_EQ(request.keyFile, "k");
  EXPECT_FALSE(request.key);
  EXPECT_EQ(request.inputFile, "in.txt");

  parsed = Parse({"encrypt", "--key", "--raw", "--", "-name"});
  ASSERT_TRUE(std::holds_alternative<Request>(parsed));
  EXPECT_EQ(std::get<Request>(parsed).key, "--raw");  // a value is taken as it stands
  EXPECT_FALSE(std::get<Request>(parsed).raw);
  EXPECT_EQ(std::get<Request>(parsed).inputFile, "-name");

  parsed = Parse({"encrypt", "-", "--key="});
  ASSERT_TRUE(std::holds_alternative<Request>(parsed));
  EXPECT_EQ(std::get<Request>(parsed).key, "");
  EXPECT_FALSE(std::get<Request>(parsed).inputFile);  // "-" is standard input
}

TEST(CommandLine, HelpAndVersionWinOverEverythingBeforeTheEnd) {
  EXPECT_TRUE(std::holds_alternative<ShowHelp>(Parse({"bogus", "--help"})));
  EXPECT_TRUE(std::holds_alternative<ShowHelp>(Parse({"-h"})));
  EXPECT_TRUE(std::holds_alternative<ShowVersion>(Parse({"--version", "encrypt"})));
  EXPECT_TRUE(std::holds_alternative<Request>(Parse({"encrypt", "--", "--help"})));
}

TEST(CommandLine, UsageErrors) {
  const std::vector<std::vector<std::string_view>> cases = {
      {},
      {"--raw"},
      {"scramble"},
      {"encrypt", "--frobnicate"},
      {"encrypt", "-x"},
      {"encrypt", "--raw=yes"},
      {"encrypt", "--key"},
      {"encrypt", "--key", "a", "--key-file", "b"},
      {"encrypt", "--key", "a", "--key", "b"},
      {"encrypt", "a.txt", "b.txt"},
  };
  for (const auto& args : cases) {
    const CommandLine parsed = Parse(args);
    ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << ::testing::PrintToString(args);
    EXPECT_FALSE(std::get<UsageError>(parsed).message.empty());
  }
}

}  // namespace
}  // namespace cli
