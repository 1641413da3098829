// The help box's text, with CR LF line breaks.
#pragma once

#include <string_view>

namespace ui {

inline constexpr std::string_view UsageText =
    "使用方法：\r\n"
    "加密文本：\r\n"
    "请在文本框中输入你想要加密的文本，然后输入加密密钥（注意，加密后的文本需要你所输入的密钥才能解"
    "密！）,点击‘加密’按钮，即可加密所输入文本，加密后的文本将会出现在加密文本框\r\n"
    "解密文本：\r\n"
    "请在加密文本框中输入你想要解密的文本，然后输入解密密钥（即加密该文本时所收入的密匙）,"
    "点击‘解密’"
    "按钮，即解密被加密的文本，解密密后的文本将会出现在文本框\r\n"
    "\r\n"
    "-------------------By-Tarnevok";

inline constexpr std::string_view UsageTitle = "使用方法";

}  // namespace ui
