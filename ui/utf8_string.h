// The program's own texts are UTF-8 constants; Qt wants them as QString.
#pragma once

#include <QString>
#include <string_view>

namespace ui {

inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ui
