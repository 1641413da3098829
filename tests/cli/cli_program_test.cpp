// textcrypt-cli run as a program: the window's ciphertexts, round trips,
// raw bytes, and what it says and returns when something is wrong.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cipher/text_cipher.h"
#include "tests/cli/program_fixture.h"
#include "tests/cli/run_program.h"

namespace cli_test {
namespace {

const std::string kProgram = TEXTCRYPT_CLI_PATH;
constexpr std::string_view kKeyMissing = "没有输入密钥，不能进行加密/解密操作！";
constexpr std::string_view kUsageLine = "用法：textcrypt-cli";

// Several lines, Chinese, an emoji and a trailing line break.
const std::string kMixedText = "表情😀\n\n末行\n";
// Its bytes as the window hands them to the cipher: GB18030 with CR LF.
const std::string kMixedTextBytes = "\xB1\xED\xC7\xE9\x94\x39\xFC\x36\r\n\r\n\xC4\xA9\xD0\xD0\r\n";
const std::string kMiYaoKeyBytes = "\xC3\xDC\xD4\xBF\x20key";  // 密钥 key

std::string EncryptedByCipher(const std::string& bytes, const std::string& key) {
  return std::get<cipher::Text>(cipher::EncryptText(bytes, key));
}

class CliProgram : public ProgramTest {
 protected:
  // Encrypts or decrypts `input` under a key given in a key file.
  Finished WithKey(const std::string& operation, const std::string& key, std::string input,
                   std::vector<std::string> extra = {}) {
    std::vector<std::string> args{operation, "--key-file", File("key", key)};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run(args, std::move(input));
  }
};

TEST_F(CliProgram, CiphertextEqualsTheWindows) {
  struct Case {
    std::string text;
    std::string key;
    std::string ciphertext;
  };
  const Case cases[] = {
      {"你好", "密钥", "+AUR+g=="},
      {"你好，世界！\n第二行", "密钥 key", "6CkuXlpVj55RINKFhtHe5907hKE="},
      {kMixedText, "密钥 key", EncryptedByCipher(kMixedTextBytes, kMiYaoKeyBytes)},
      {"", "密钥", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    // The key in a file (with its newline), on the command line, the text
    // from standard input or from a file: always the same ciphertext.
    Finished fromKeyFile = WithKey("encrypt", c.key + "\n", c.text);
    EXPECT_EQ(fromKeyFile.exitCode, 0) << fromKeyFile.err;
    EXPECT_EQ(fromKeyFile.out, c.ciphertext + "\n");
    EXPECT_EQ(fromKeyFile.err, "");

    Finished fromArguments = Run({"encrypt", "--key=" + c.key, File("text", c.text)});
    EXPECT_EQ(fromArguments.exitCode, 0) << fromArguments.err;
    EXPECT_EQ(fromArguments.out, c.ciphertext + "\n");
  }
}

TEST_F(CliProgram, KeyFileLosesOneTrailingLineBreakOnly) {
  const std::string expected = "+AUR+g==\n";
  EXPECT_EQ(WithKey("encrypt", "密钥", "你好").out, expected);
  EXPECT_EQ(WithKey("encrypt", "密钥\r\n", "你好").out, expected);
  EXPECT_NE(WithKey("encrypt", "密钥\n\n", "你好").out, expected);
}

TEST_F(CliProgram, RoundTripGivesTheTextBack) {
  const std::string texts[] = {
      kMixedText, "你好，世界！\n第二行", "a", "ab", "abc", "tab\tand\fform feed", "\n", "",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    Finished encrypted = WithKey("encrypt", "密钥", text);
    ASSERT_EQ(encrypted.exitCode, 0) << encrypted.err;
    Finished decrypted = WithKey("decrypt", "密钥", encrypted.out);
    EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
    EXPECT_EQ(decrypted.out, text);
    EXPECT_EQ(decrypted.err, "");
  }
  // Line breaks of other systems are line breaks as in the window, and come
  // back as this system's.
  Finished mixed = WithKey("encrypt", "k", "one\r\ntwo\rthree\u2028four");
  EXPECT_EQ(mixed.out, WithKey("encrypt", "k", "one\ntwo\nthree\nfour").out);
  EXPECT_EQ(WithKey("decrypt", "k", mixed.out).out, "one\ntwo\nthree\nfour");
}

TEST_F(CliProgram, WrappedCiphertextDecrypts) {
  const std::string ciphertext = WithKey("encrypt", "密钥", kMixedText).out;
  ASSERT_GT(ciphertext.size(), 20u);
  const std::string body = ciphertext.substr(0, ciphertext.size() - 1);
  const std::string separators[] = {"\n", "\r\n", " ", "\u3000", "\n> "};
  for (const std::string& separator : separators) {
    std::string wrapped;
    for (std::size_t i = 0; i < body.size(); i += 7) wrapped += body.substr(i, 7) + separator;
    SCOPED_TRACE(wrapped);
    if (separator == "\n> ") {
      // A quote marker is not something the decoder forgives.
      EXPECT_NE(WithKey("decrypt", "密钥", wrapped).out, kMixedText);
    } else {
      EXPECT_EQ(WithKey("decrypt", "密钥", wrapped).out, kMixedText);
    }
  }
}

TEST_F(CliProgram, RawModeTakesAndGivesBytesAsTheyStand) {
  // GB18030 bytes in raw mode give the same ciphertext as their text.
  EXPECT_EQ(WithKey("encrypt", kMiYaoKeyBytes, kMixedTextBytes, {"--raw"}).out,
            WithKey("encrypt", "密钥 key", kMixedText).out);

  // Bytes that are no text at all, a lone LF included, survive a round trip.
  // Six of them, so the ciphertext has no padding that would hide a stray
  // final line break from the decoder.
  const std::string bytes = "\x80\xFF\x01\n\xFE\x7F";
  Finished encrypted = WithKey("encrypt", "\xFF\x80", bytes, {"--raw"});
  ASSERT_EQ(encrypted.exitCode, 0) << encrypted.err;
  EXPECT_EQ(encrypted.out, EncryptedByCipher(bytes, "\xFF\x80") + "\n");
  Finished decrypted = WithKey("decrypt", "\xFF\x80", encrypted.out, {"--raw"});
  EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
  EXPECT_EQ(decrypted.out, bytes);
}

TEST_F(CliProgram, TextModeShowsInvalidGb18030AsReplacementCharacters) {
  // What a wrong key typically gives: bytes that are not GB18030.
  const std::string ciphertext = EncryptedByCipher(
      "\xFF"
      "A\xFF",
      "k");
  Finished decrypted = WithKey("decrypt", "k", ciphertext + "\n");
  EXPECT_EQ(decrypted.exitCode, 0) << decrypted.err;
  EXPECT_EQ(decrypted.out,
            "\uFFFD"
            "A\uFFFD");
}

TEST_F(CliProgram, InputThatCannotBeATextIsRefused) {
  struct Case {
    std::vector<std::string> extra;
    std::string input;
    std::string said;
  };
  const Case cases[] = {
      {{"--raw"}, std::string("ab\0c", 4), "第 3 字节"},
      {{}, std::string("ab\0c", 4), "第 3 字节"},
      {{}, "ok\xFF", "不是有效的 UTF-8 文本"},
  };
  for (const auto& c : cases) {
    for (const char* operation : {"encrypt", "decrypt"}) {
      Finished finished = WithKey(operation, "k", c.input, c.extra);
      EXPECT_EQ(finished.exitCode, 1);
      EXPECT_EQ(finished.out, "");
      EXPECT_NE(finished.err.find(c.said), std::string::npos) << finished.err;
    }
  }
  Finished badKey = WithKey("encrypt", "\xFF", "text");
  EXPECT_EQ(badKey.exitCode, 1);
  EXPECT_NE(badKey.err.find("密钥不是有效的"), std::string::npos) << badKey.err;
}

TEST_F(CliProgram, EmptyKeyGivesTheToolsMessage) {
  const std::vector<std::vector<std::string>> keyArgs = {
      {"--key="},
      {"--key", ""},
      {"--key-file", File("empty", "")},
      {"--key-file", File("newline", "\n")},
  };
  for (const auto& key : keyArgs) {
    for (const char* operation : {"encrypt", "decrypt"}) {
      std::vector<std::string> args{operation};
      args.insert(args.end(), key.begin(), key.end());
      Finished finished = Run(args, "+AUR+g==\n");
      EXPECT_EQ(finished.exitCode, 1) << ::testing::PrintToString(args);
      EXPECT_EQ(finished.out, "");
      EXPECT_NE(finished.err.find(kKeyMissing), std::string::npos) << finished.err;
    }
  }
}

TEST_F(CliProgram, BadUsageShowsTheUsageAndExitsWith2) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"scramble", "--key", "k"},
      {"encrypt", "--key", "k", "--what"},
      {"encrypt", "--key", "k", "--key-file", "f"},
      {"decrypt", "--key", "k", "a", "b"},
      {"encrypt", "--key"},
      // No key source, and no terminal to ask on.
      {"encrypt"},
  };
  for (const auto& args : cases) {
    Finished finished = Run(args, "text");
    EXPECT_EQ(finished.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(finished.out, "");
    EXPECT_NE(finished.err.find(kUsageLine), std::string::npos) << finished.err;
  }
}

TEST_F(CliProgram, UnreadableFileGivesItsNameAndTheSystemsReason) {
  const std::string missing = dir_ + "/没有这个文件.txt";
  struct Case {
    std::vector<std::string> args;
    std::string name;
    int error;
  };
  const Case cases[] = {
      {{"encrypt", "--key", "k", missing}, missing, ENOENT},
      {{"decrypt", "--key-file", missing, File("text", "QUJD")}, missing, ENOENT},
      {{"encrypt", "--key", "k", dir_}, dir_, EISDIR},
  };
  for (const auto& c : cases) {
    Finished finished = Run(c.args);
    EXPECT_EQ(finished.exitCode, 1) << ::testing::PrintToString(c.args);
    EXPECT_EQ(finished.out, "");
    EXPECT_NE(finished.err.find("“" + c.name + "”"), std::string::npos) << finished.err;
    EXPECT_NE(finished.err.find(std::strerror(c.error)), std::string::npos) << finished.err;
  }
}

TEST_F(CliProgram, FailedOutputIsNotReportedAsSuccess) {
  Launch launch;
  launch.args = {"encrypt", "--key-file", File("key", "k")};
  launch.standardInput = "text";
  launch.standardOutputPath = "/dev/full";
  Finished finished = RunProgram(kProgram, launch);
  EXPECT_EQ(finished.exitCode, 1);
  EXPECT_NE(finished.err.find("无法写入标准输出"), std::string::npos) << finished.err;
}

TEST_F(CliProgram, KeyOnTheCommandLineIsWarnedAbout) {
  Finished finished = Run({"encrypt", "--key", "密钥"}, "你好");
  EXPECT_EQ(finished.out, "+AUR+g==\n");
  EXPECT_NE(finished.err.find("进程列表"), std::string::npos) << finished.err;
}

TEST_F(CliProgram, KeyIsReadFromTheTerminalWithoutEcho) {
  Launch launch;
  launch.args = {"encrypt"};
  launch.standardInput = "你好";
  launch.typedAtPrompt = "密钥\n";
  launch.promptToAwait = "请输入密钥：";
  Finished finished = RunProgram(kProgram, launch);
  EXPECT_EQ(finished.exitCode, 0) << finished.err;
  EXPECT_EQ(finished.out, "+AUR+g==\n");
  EXPECT_EQ(finished.terminalShowed.find("密钥"), std::string::npos) << finished.terminalShowed;

  launch.typedAtPrompt = "\n";
  Finished empty = RunProgram(kProgram, launch);
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_NE(empty.err.find(kKeyMissing), std::string::npos) << empty.err;
}

TEST_F(CliProgram, HelpAndVersionInChinese) {
  Finished help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find(kUsageLine), std::string::npos);
  EXPECT_NE(help.out.find("选项："), std::string::npos);
  EXPECT_EQ(help.err, "");
  Finished version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_NE(version.out.find("版本 " TEXTCRYPT_VERSION "\n"), std::string::npos) << version.out;
}

TEST_F(CliProgram, PlainCLocaleReadsUtf8) {
  Launch launch;
  launch.args = {"encrypt", "--key-file", File("key", "密钥")};
  launch.standardInput = "你好";
  launch.environment = {"LC_ALL=C"};
  Finished finished = RunProgram(kProgram, launch);
  EXPECT_EQ(finished.exitCode, 0) << finished.err;
  EXPECT_EQ(finished.out, "+AUR+g==\n");
}

}  // namespace
}  // namespace cli_test
