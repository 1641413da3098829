// The encoding of the user's terminal and files, taken from the locale.
#pragma once

#include <string>

namespace cli {

// Adopts the environment's locale and returns its character encoding. The
// plain C locale reports ASCII; it is read as UTF-8 (which ASCII is part of),
// since refusing every non-ASCII character would make the tool useless there.
std::string AdoptLocaleCodeset();

}  // namespace cli
