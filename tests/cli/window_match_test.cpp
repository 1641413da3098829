// The CLI against the window's own code-page bridge: the same text and key
// give the same ciphertext, and the same bytes decrypt to the same text.
#include <gtest/gtest.h>

#include <QString>

#include "cipher/text_cipher.h"
#include "tests/cli/run_program.h"
#include "ui/code_page_bridge.h"

namespace cli_test {
namespace {

const std::string kProgram = TEXTCRYPT_CLI_PATH;

Finished RunCli(std::vector<std::string> args, std::string input) {
  Launch launch;
  launch.args = std::move(args);
  launch.standardInput = std::move(input);
  return RunProgram(kProgram, launch);
}

std::string WindowCiphertext(const std::string& text, const std::string& key) {
  const cipher::CipherOutcome outcome = cipher::EncryptText(
      ui::BoxTextToBytes(QString::fromUtf8(text)), ui::BoxTextToBytes(QString::fromUtf8(key)));
  return std::get<cipher::Text>(outcome);
}

TEST(CliMatchesWindow, SameTextAndKeyGiveTheSameCiphertext) {
  struct Case {
    std::string text;
    std::string key;
  };
  const Case cases[] = {
      {"你好", "密钥"},
      {"你好，世界！\n第二行", "密钥 key"},
      {"表情😀🔐\n\n末行\n", "钥匙🗝"},
      {"Windows\r\nlines\rand\u2028separators\u2029", "k"},
      {"ASCII only, 1234567890", " "},
      {"ｆｕｌｌ　ｗｉｄｔｈ　ｓｐａｃｅｓ", "全角　空格"},
      {"€ é ß Ω Ж ㄅ ㄱ 가 ア \U00020000", "多语言"},
      {"", "空"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Finished cli = RunCli({"encrypt", "--key=" + c.key}, c.text);
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(cli.out, WindowCiphertext(c.text, c.key) + "\n");
  }
}

TEST(CliMatchesWindow, SameBytesDecryptToTheSameText) {
  // Well-formed GB18030 and the kinds of broken bytes a wrong key gives.
  const std::string plaintexts[] = {
      "\xC4\xE3\xBA\xC3\r\n\xB5\xDA\x94\x39\xFC\x36",
      "\x80",
      "A\xC4",
      "\x81\x30\x81",
      "\x81\x7F"
      "B",
      "\x81\xFF"
      "C",
      "\x81\x30\xFF\x41",
      "\xC4\xE3\x80\xBA\xC3",
      "\xFF\xFE\xFD",
      "\x84\x31\xA5\x30",  // beyond the last four-byte character of the BMP
      "\xE3\x32\x9A\x36",  // beyond U+10FFFF
  };
  for (const std::string& bytes : plaintexts) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    const std::string ciphertext = std::get<cipher::Text>(cipher::EncryptText(bytes, "k"));
    Finished cli = RunCli({"decrypt", "--key=k"}, ciphertext);
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(cli.out, ui::BytesToBoxText(bytes).toStdString());
  }
}

// "€" as code page 936 writes it, the byte 0x80, in both front ends; its
// GB18030 form A2 E3, which older ciphertexts of ours hold, still reads as "€".
TEST(CliMatchesWindow, EuroSignIsTheByte80BothWays) {
  const std::string key = "密钥";
  struct Case {
    std::string text;
    std::string ciphertext;
    bool madeHere;  // also what encrypting the text gives
  };
  const Case cases[] = {
      {"€", "vA==", true},
      {"价格：€5", "gD0TyA24dE0=", true},
      {"价格：€5", "gD0TyA24VpsL", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ciphertext);
    if (c.madeHere) {
      EXPECT_EQ(WindowCiphertext(c.text, key), c.ciphertext);
      Finished cli = RunCli({"encrypt", "--key=" + key}, c.text);
      ASSERT_EQ(cli.exitCode, 0) << cli.err;
      EXPECT_EQ(cli.out, c.ciphertext + "\n");
    }
    const cipher::CipherOutcome window = cipher::DecryptText(
        c.ciphertext, [&] { return ui::BoxTextToBytes(QString::fromUtf8(key)); }, [] {});
    EXPECT_EQ(ui::BytesToBoxText(std::get<cipher::Text>(window)).toStdString(), c.text);
    Finished cli = RunCli({"decrypt", "--key=" + key}, c.ciphertext);
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(cli.out, c.text);
  }
}

}  // namespace
}  // namespace cli_test
