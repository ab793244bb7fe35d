#include "core/support/Base64.h"

#include <sodium.h>

#include <algorithm>

namespace plovik {

namespace {

// The library reads any byte above 0x7F as a digit; only the standard alphabet and
// padding are Base64.
bool isAlphabet(char character) {
    return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
           (character >= '0' && character <= '9') || character == '+' || character == '/' ||
           character == '=';
}

}  // namespace

std::string Base64::encode(std::span<const std::uint8_t> bytes) {
    const std::size_t length =
        sodium_base64_encoded_len(bytes.size(), sodium_base64_VARIANT_ORIGINAL);
    std::string text(length, '\0');
    sodium_bin2base64(text.data(), length, bytes.data(), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL);
    text.resize(length - 1);  // the terminating NUL
    return text;
}

std::optional<std::vector<std::uint8_t>> Base64::decode(std::string_view text) {
    // Padded Base64 always comes in groups of four; this also bounds the output size.
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    if (text.empty()) {
        return std::vector<std::uint8_t>{};
    }
    if (!std::all_of(text.begin(), text.end(), isAlphabet)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(text.size() / 4 * 3);
    std::size_t decodedLength = 0;
    // No ignored characters and no end pointer: anything left unread is an error.
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr,
                          &decodedLength, nullptr, sodium_base64_VARIANT_ORIGINAL) != 0) {
        return std::nullopt;
    }
    bytes.resize(decodedLength);
    return bytes;
}

}  // namespace plovik
