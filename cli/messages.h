// Every text the program shows, in UTF-8; the console converts them to the
// locale's encoding on the way out.
#pragma once

#include <string_view>

namespace cli::messages {

inline constexpr std::string_view kPrefix = "textcrypt-cli：";

inline constexpr std::string_view kUsage =
    "用法：textcrypt-cli encrypt|decrypt [--raw] [--key-file 文件 | --key 密钥] [文件]\n"
    "运行“textcrypt-cli --help”查看详细说明。\n";

// %CODESET% stands for the locale's encoding.
inline constexpr std::string_view kHelp =
    "用法：textcrypt-cli encrypt [选项] [文件]\n"
    "　　　textcrypt-cli decrypt [选项] [文件]\n"
    "\n"
    "Tarnevok特制文本加密工具的命令行版本，密文与窗口给出的逐字节相同。\n"
    "  encrypt  把文本加密为 Base64 密文，输出密文和一个换行\n"
    "  decrypt  把密文解密为文本，原样输出\n"
    "文本取自“文件”；没有给出文件或文件为“-”时取自标准输入。结果写到标准输出。\n"
    "\n"
    "选项：\n"
    "  --key-file 文件  从文件读取密钥（末尾的一个换行不算密钥）\n"
    "  --key 密钥       直接给出密钥（本机其他用户能在进程列表中看到它）\n"
    "  --raw            按原样读写字节：不转换编码和换行\n"
    "  -h, --help       显示本说明后退出\n"
    "  -V, --version    显示版本后退出\n"
    "两种密钥都没有给出时，从终端读取密钥，输入时不回显。\n"
    "\n"
    "文本模式（默认）：文本和密钥按当前区域设置的编码（%CODESET%）读取，\n"
    "换行像窗口一样作为 CR LF，再转为 GB18030 字节（“€”为单字节 0x80，\n"
    "与代码页 936 相同）加密；解密时反向转换，\n"
    "不是有效 GB18030 的字节显示为 U+FFFD。被换行或空格拆开的密文\n"
    "（例如经过邮件客户端折行）照样可以解密。\n"
    "\n"
    "示例：\n"
    "  printf '%s' '你好' | textcrypt-cli encrypt --key-file 密钥.txt\n"
    "  textcrypt-cli decrypt --key-file 密钥.txt 密文.txt > 明文.txt\n"
    "  textcrypt-cli encrypt --raw --key-file 密钥.bin 数据.bin\n"
    "\n"
    "退出状态：0 成功；1 出错（密钥为空、文件无法读取等）；2 用法错误。\n"
    "\n"
    "注意：本工具只为兼容已有的密文格式。RC4 已被攻破，没有随机数，\n"
    "相同的文本和密钥总是得到相同的密文，用错密钥也不会报错。\n";

inline constexpr std::string_view kVersionLine = "textcrypt-cli（Tarnevok特制文本加密工具）版本 ";

inline constexpr std::string_view kKeyPrompt = "请输入密钥：";
inline constexpr std::string_view kTextPrompt = "请输入文本，输入完毕后按 Ctrl+D：\n";
inline constexpr std::string_view kKeyOnCommandLine =
    "警告：用 --key 给出的密钥会出现在进程列表中，本机其他用户可以看到；"
    "请改用 --key-file，或在终端中输入密钥。";
inline constexpr std::string_view kNoKeySource =
    "没有给出密钥：请用 --key-file 文件 或 --key 密钥，或在终端中运行以输入密钥";

inline constexpr std::string_view kKeyFileIsInput =
    "密钥文件与输入是同一个文件：密钥和文本不能取自同一处";
inline constexpr std::string_view kKeyFileTooLong = "太长：密钥文件最多 1 MiB（1048576 字节）";
inline constexpr std::string_view kOutOfMemory = "内存不足，无法完成操作";

// The quotation marks around a file name or an argument.
inline constexpr std::string_view kOpenQuote = "“";
inline constexpr std::string_view kCloseQuote = "”";
// Stands in a UTF-8 message for a text from the command line, shown in quotes.
inline constexpr std::string_view kSubject = "%SUBJECT%";

inline constexpr std::string_view kUnknownOption = "未知选项%SUBJECT%";
inline constexpr std::string_view kMissingValue = "选项%SUBJECT%缺少参数";
inline constexpr std::string_view kTwoKeys = "只能给出一个密钥：--key-file 与 --key 二选一";
inline constexpr std::string_view kNoOperation = "缺少操作：encrypt 或 decrypt";
inline constexpr std::string_view kUnknownOperation = "未知操作%SUBJECT%：应为 encrypt 或 decrypt";
inline constexpr std::string_view kTwoInputs = "只能给出一个输入文件";

inline constexpr std::string_view kCannotReadFile = "无法读取文件";
inline constexpr std::string_view kCannotReadKeyFile = "无法读取密钥文件";
inline constexpr std::string_view kCannotReadStdin = "无法读取标准输入";
inline constexpr std::string_view kCannotReadTerminal = "无法从终端读取密钥";
inline constexpr std::string_view kCannotWriteStdout = "无法写入标准输出";

inline constexpr std::string_view kTheKey = "密钥";
inline constexpr std::string_view kStandardInput = "标准输入";
inline constexpr std::string_view kTheFile = "文件";
inline constexpr std::string_view kTheKeyFile = "密钥文件";

inline constexpr std::string_view kZeroByteAt = "含有零字节，无法处理；位置：第 ";
inline constexpr std::string_view kNotInCodesetAt = "不是有效的 %CODESET% 文本；位置：第 ";
inline constexpr std::string_view kByteSuffix = " 字节";
inline constexpr std::string_view kUseRaw = "（若要按原样处理字节，请用 --raw）";
inline constexpr std::string_view kUnsupportedCodeset =
    "当前区域设置的编码 %CODESET% 无法与 GB18030 互相转换；请改用 UTF-8 区域设置，或用 --raw";
inline constexpr std::string_view kNotRepresentable =
    "解密结果中有当前区域设置的编码（%CODESET%）无法表示的字符；"
    "请改用 UTF-8 区域设置，或用 --raw 取得原始字节";

}  // namespace cli::messages
