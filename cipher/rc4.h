// Plain RC4: no keystream bytes dropped, no nonce, a fresh state every call.
#pragma once

#include "cipher/types.h"

namespace cipher {

// XORs input with the RC4 keystream of key. Only the first 256 key bytes
// matter; an empty key leaves the state unscheduled (the identity).
ByteBuffer Rc4Transform(const ByteBuffer& input, const Text& key);

}  // namespace cipher
