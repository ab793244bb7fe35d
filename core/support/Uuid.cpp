#include "core/support/Uuid.h"

#include <sodium.h>
#include <uuid/uuid.h>

#include <algorithm>
#include <cctype>

namespace plovik {

Uuid Uuid::random() {
    // libuuid reseeds its own generator on every call (3 µs), which a run over long text pays
    // for every correction it records; the system's random bytes cost a tenth of that.
    std::array<std::uint8_t, 16> bytes{};
    randombytes_buf(bytes.data(), bytes.size());
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4: random
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    // uuid_parse needs a terminated string and rejects nothing but the shape.
    const std::string terminated(text);
    std::array<std::uint8_t, 16> bytes{};
    if (uuid_parse(terminated.c_str(), bytes.data()) != 0) {
        return std::nullopt;
    }
    return Uuid(bytes);
}

std::string Uuid::uppercaseString() const {
    char text[37];
    uuid_unparse_upper(bytes_.data(), text);
    return std::string(text);
}

}  // namespace plovik
