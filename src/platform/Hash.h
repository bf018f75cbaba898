// Cryptographic digests through the system's provider (CNG, bcrypt.dll).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

namespace platform::hash {

using Sha256Digest = std::array<uint8_t, 32>;

// The SHA-256 digest of size bytes at data. Returns the provider's status
// (0 for success); digest is all zero when it fails.
LONG Sha256(const void* data, size_t size, Sha256Digest& digest);

// The digest as 64 lower-case hex digits.
std::string HexText(const Sha256Digest& digest);

}  // namespace platform::hash
