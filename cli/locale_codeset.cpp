#include "cli/locale_codeset.h"

#include <langinfo.h>

#include <clocale>
#include <string_view>

namespace cli {

std::string AdoptLocaleCodeset() {
  std::setlocale(LC_ALL, "");
  const char* codeset = nl_langinfo(CODESET);
  const std::string_view name = codeset != nullptr ? codeset : "";
  if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII") {
    return "UTF-8";
  }
  return std::string(name);
}

}  // namespace cli
