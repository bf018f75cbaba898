// SHA-256 through CNG: one algorithm handle and one hash object per call,
// both released on every path.
#include "platform/Hash.h"

#include <bcrypt.h>

#include <algorithm>

namespace platform::hash {

namespace {

struct AlgorithmOwner {
    BCRYPT_ALG_HANDLE handle = nullptr;
    AlgorithmOwner() = default;
    AlgorithmOwner(const AlgorithmOwner&) = delete;
    AlgorithmOwner& operator=(const AlgorithmOwner&) = delete;
    ~AlgorithmOwner() {
        if (handle) BCryptCloseAlgorithmProvider(handle, 0);
    }
};

struct HashOwner {
    BCRYPT_HASH_HANDLE handle = nullptr;
    HashOwner() = default;
    HashOwner(const HashOwner&) = delete;
    HashOwner& operator=(const HashOwner&) = delete;
    ~HashOwner() {
        if (handle) BCryptDestroyHash(handle);
    }
};

// BCryptHashData takes a ULONG count; larger buffers go in pieces.
constexpr size_t kPiece = 1u << 30;

}  // namespace

LONG Sha256(const void* data, size_t size, Sha256Digest& digest) {
    digest.fill(0);
    AlgorithmOwner algorithm;
    NTSTATUS status = BCryptOpenAlgorithmProvider(&algorithm.handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (!BCRYPT_SUCCESS(status)) return status;
    // With no buffer given, the provider keeps the hash object itself
    // (Windows 7 and later, and Wine).
    HashOwner hash;
    status = BCryptCreateHash(algorithm.handle, &hash.handle, nullptr, 0, nullptr, 0, 0);
    if (!BCRYPT_SUCCESS(status)) return status;
    const auto* bytes = static_cast<const UCHAR*>(data);
    for (size_t done = 0; done < size;) {
        const size_t piece = std::min(size - done, kPiece);
        status = BCryptHashData(hash.handle, const_cast<UCHAR*>(bytes + done), static_cast<ULONG>(piece), 0);
        if (!BCRYPT_SUCCESS(status)) return status;
        done += piece;
    }
    Sha256Digest result{};
    status = BCryptFinishHash(hash.handle, result.data(), static_cast<ULONG>(result.size()), 0);
    if (!BCRYPT_SUCCESS(status)) return status;
    digest = result;
    return 0;
}

std::string HexText(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (uint8_t byte : digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
    }
    return text;
}

}  // namespace platform::hash
