// textcrypt-cli used carelessly or with hostile intent: option values that
// look like options, key and text from one stream, endless and oversized
// inputs under a memory limit, and messages in a locale that is not UTF-8.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cipher/text_cipher.h"
#include "cli/text_mode.h"
#include "tests/cli/program_fixture.h"
#include "tests/cli/run_program.h"

namespace cli_test {
namespace {

const std::string kProgram = TEXTCRYPT_CLI_PATH;
constexpr std::string_view kPrefix = "textcrypt-cli：";
constexpr std::string_view kUsageLine = "用法：textcrypt-cli";

class HostileUse : public ProgramTest {};

TEST_F(HostileUse, AnOptionsValueIsAValueWhateverItLooksLike) {
  const std::string text = File("text", "你好");
  struct Case {
    std::vector<std::string> args;
    std::string key;
  };
  const Case cases[] = {
      {{"encrypt", "--key", "-h", text}, "-h"},
      {{"encrypt", "--key", "--help", text}, "--help"},
      {{"encrypt", "--key", "-V", text}, "-V"},
      {{"encrypt", "--key-file", File("--help", "--version"), text}, "--version"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    Finished finished = Run(c.args);
    EXPECT_EQ(finished.exitCode, 0) << finished.err;
    EXPECT_EQ(finished.out,
              std::get<cipher::Text>(cipher::EncryptText("\xC4\xE3\xBA\xC3", c.key)) + "\n");
  }
  // Standing as an option, --help still wins over a usage error before it.
  Finished help = Run({"encrypt", "--bogus", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("选项："), std::string::npos);
  // A file named like an option can be passed after --key-file=.
  Finished named = Run({"encrypt", "--key-file=" + dir_ + "/--help", text});
  EXPECT_EQ(named.exitCode, 0) << named.err;
}

TEST_F(HostileUse, KeyFileThatIsTheInputIsAUsageError) {
  const std::string text = File("text", "QUJD\n");
  const std::vector<std::vector<std::string>> cases = {
      {"encrypt", "--key-file", "/dev/stdin"},
      {"decrypt", "--key-file", "/dev/stdin", "-"},
      {"decrypt", "--key-file", text, text},
  };
  for (const auto& args : cases) {
    Finished finished = Run(args, "k");
    EXPECT_EQ(finished.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(finished.out, "");
    EXPECT_NE(finished.err.find("同一个文件"), std::string::npos) << finished.err;
    EXPECT_NE(finished.err.find(kUsageLine), std::string::npos) << finished.err;
  }
  // A key file beside standard input is not the input.
  EXPECT_EQ(Run({"encrypt", "--key-file", File("key", "密钥")}, "你好").out, "+AUR+g==\n");
}

TEST_F(HostileUse, EmptyKeyMessageHasTheProgramsPrefix) {
  Finished finished = Run({"encrypt", "--key-file", File("empty", "")}, "text");
  EXPECT_EQ(finished.exitCode, 1);
  EXPECT_EQ(finished.err, std::string(kPrefix) + std::string(cipher::KeyMissingMessage) + "\n");
}

TEST_F(HostileUse, KeyFileIsReadUpToOneMebibyte) {
  const std::size_t limit = 1 << 20;
  const std::string longest(limit, 'k');
  struct Case {
    std::string content;
    bool accepted;
  };
  const Case cases[] = {
      {longest, true},
      {longest + "\r\n", true},
      {longest + "k", false},
      {longest + "k\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content.size());
    const std::string key = File("key", c.content);
    Finished finished = Run({"encrypt", "--key-file", key}, "text");
    if (c.accepted) {
      EXPECT_EQ(finished.exitCode, 0) << finished.err;
      EXPECT_EQ(finished.out, std::get<cipher::Text>(cipher::EncryptText("text", longest)) + "\n");
    } else {
      EXPECT_EQ(finished.exitCode, 1);
      EXPECT_EQ(finished.out, "");
      EXPECT_NE(finished.err.find("“" + key + "”太长"), std::string::npos) << finished.err;
    }
  }
  // A key file that never ends is refused the same way, not read forever.
  Finished endless = Run({"encrypt", "--key-file", "/dev/zero"}, "text");
  EXPECT_EQ(endless.exitCode, 1);
  EXPECT_NE(endless.err.find("太长"), std::string::npos) << endless.err;
}

TEST_F(HostileUse, InputsOfManyPiecesGiveWhatTheWholeTextGives) {
  // Several megabytes, so the input is read, converted and decoded in many
  // pieces; line breaks of every kind and characters of every length.
  const std::string_view units[] = {"你好，世界", "a", "😀", "\r\n",   "\n",          "\r",
                                    "\u2028",     " ", "é", "\u3000", "line of text"};
  std::string text;
  for (std::size_t i = 0; text.size() < (std::size_t{3} << 20); ++i) {
    text += units[(i * 7 + i / 5) % std::size(units)];
  }
  const std::string key = "密钥";
  const cipher::Text tool = std::get<cipher::Text>(cli::LocaleTextToToolBytes(text, "UTF-8"));
  const cipher::Text ciphertext =
      std::get<cipher::Text>(cipher::EncryptText(tool, "\xC3\xDC\xD4\xBF"));

  Finished encrypted = Run({"encrypt", "--key", key, File("text", text)});
  ASSERT_EQ(encrypted.exitCode, 0);
  EXPECT_TRUE(encrypted.out == ciphertext + "\n") << "ciphertexts differ";
  Finished raw = Run({"encrypt", "--raw", "--key", "\xC3\xDC\xD4\xBF", File("tool", tool)});
  EXPECT_TRUE(raw.out == ciphertext + "\n") << "raw ciphertexts differ";

  // Wrapped as a mail client would, then decrypted.
  std::string wrapped;
  for (std::size_t at = 0; at < ciphertext.size(); at += 76) {
    wrapped += ciphertext.substr(at, 76) + "\r\n";
  }
  const std::string expected = std::get<std::string>(cli::ToolBytesToLocaleText(tool, "UTF-8"));
  Finished decrypted = Run({"decrypt", "--key", key, File("wrapped", wrapped)});
  ASSERT_EQ(decrypted.exitCode, 0);
  EXPECT_TRUE(decrypted.out == expected) << "texts differ";
  Finished rawDecrypted =
      Run({"decrypt", "--raw", "--key", "\xC3\xDC\xD4\xBF", File("wrapped", wrapped)});
  EXPECT_TRUE(rawDecrypted.out == tool) << "raw texts differ";

  // A bad byte far in is found at its place, and nothing is written.
  const std::string bad = text.substr(0, 2500000) + "\xFF" + text.substr(2500000);
  Finished refused = Run({"encrypt", "--key", key, File("bad", bad)});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("第 2500001 字节"), std::string::npos) << refused.err;
  Finished refusedDecrypt = Run({"decrypt", "--key", key, File("bad", wrapped + '\0')});
  EXPECT_EQ(refusedDecrypt.exitCode, 1);
  EXPECT_EQ(refusedDecrypt.out, "");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST_F(HostileUse, RunningOutOfMemoryIsAMessageAndExit1) {
  // The sanitizer reserves more address space than any limit leaves.
  if (kAddressSanitizer) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  const std::string line = "一行文本 text\n";
  std::string block;
  while (block.size() < 65536) block += line;
  for (const char* mode : {"--raw", "--"}) {
    Launch launch;
    launch.args = {"encrypt", "--key", "k", mode};
    launch.standardInput = block;
    launch.endlessInput = true;
    launch.addressSpaceBytes = std::size_t{192} << 20;
    Finished finished = RunProgram(kProgram, launch);
    EXPECT_EQ(finished.exitCode, 1) << mode << ": " << finished.err;
    EXPECT_EQ(finished.out, "");
    EXPECT_NE(finished.err.find("textcrypt-cli：内存不足"), std::string::npos) << finished.err;
    EXPECT_EQ(finished.err.find("terminate"), std::string::npos) << finished.err;
  }
}

// What the program writes in a locale, converted to UTF-8; empty when it is
// not valid in the locale's encoding as a whole.
std::string ToUtf8(const std::string& bytes, const char* codeset) {
  iconv_t cd = iconv_open("UTF-8", codeset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) return {};
  out.resize(out.size() - outLeft);
  return out;
}

std::string FromUtf8(const std::string& utf8, const char* codeset) {
  iconv_t cd = iconv_open(codeset, "UTF-8");
  std::string out(utf8.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

// A GB18030 locale made for the tests with localedef, in a folder of their
// own; empty when localedef or the locale sources are missing.
const std::string& Gb18030LocaleFolder() {
  static const std::string folder = [] {
    const std::string path = std::filesystem::temp_directory_path() / "textcrypt-cli-locales";
    const std::string locale = path + "/zh_CN.GB18030";
    if (std::filesystem::exists(locale + "/LC_CTYPE")) return path;
    std::filesystem::create_directories(path);
    const std::string command = "localedef -i zh_CN -f GB18030 '" + locale + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return std::string();
    return std::filesystem::exists(locale + "/LC_CTYPE") ? path : std::string();
  }();
  return folder;
}

TEST_F(HostileUse, EveryMessageIsInTheLocalesEncodingWhole) {
  struct Locale {
    std::vector<std::string> environment;
    const char* codeset;
  };
  std::vector<Locale> locales = {{{"LC_ALL=C.UTF-8"}, "UTF-8"}};
  if (!Gb18030LocaleFolder().empty()) {
    locales.push_back({{"LC_ALL=zh_CN.GB18030", "LOCPATH=" + Gb18030LocaleFolder()}, "GB18030"});
  } else {
    ADD_FAILURE() << "localedef could not make zh_CN.GB18030 (is the locales package there?)";
  }
  for (const Locale& locale : locales) {
    SCOPED_TRACE(locale.codeset);
    // Names and arguments come in the locale's encoding, as a shell passes them.
    const std::string missing = dir_ + "/没有这个文件.txt";
    const std::string localMissing = FromUtf8(missing, locale.codeset);
    const std::string option = FromUtf8("--选项", locale.codeset);
    struct Case {
      std::vector<std::string> args;
      std::string said;  // UTF-8
    };
    const Case cases[] = {
        {{"encrypt", "--key", "k", localMissing}, "无法读取文件“" + missing + "”："},
        {{"encrypt", option}, "未知选项“--选项”"},
        {{"encrypt", "--key-file", localMissing}, "无法读取密钥文件“" + missing + "”："},
        {{"encrypt", "--key-file", File("empty", "")}, std::string(cipher::KeyMissingMessage)},
    };
    for (const auto& c : cases) {
      Launch launch;
      launch.args = c.args;
      launch.standardInput = "text";
      launch.environment = locale.environment;
      Finished finished = RunProgram(kProgram, launch);
      EXPECT_NE(finished.exitCode, 0);
      const std::string shown = ToUtf8(finished.err, locale.codeset);
      EXPECT_FALSE(shown.empty()) << "not valid " << locale.codeset << ": " << finished.err;
      EXPECT_TRUE(shown.starts_with(kPrefix)) << shown;
      EXPECT_NE(shown.find(c.said), std::string::npos) << shown;
    }
  }
}

}  // namespace
}  // namespace cli_test
