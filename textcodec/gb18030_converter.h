// GB18030 both ways through the C library's converter, with our own
// mappings and the "€" rule on top: the mapping the tool's ciphertexts have
// always been made with. It is slow (one iconv call per run of characters),
// so the code page's tables (gb18030_tables.h) are made from it once, and
// the tests hold the tables to it; nothing else should call it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace textcodec {

// As Utf8ToGb18030 and Gb18030ToUtf8 (gb18030.h). Without a GB18030
// converter the first fails (nullopt) and the second turns every sequence
// but ASCII and our own mappings into U+FFFD.
std::optional<std::string> Utf8ToGb18030ThroughConverter(std::string_view utf8,
                                                         std::string_view euroSignBytes);
std::string Gb18030ToUtf8ThroughConverter(std::string_view bytes, std::string_view loneByte80);

}  // namespace textcodec
