#include "core/support/Url.h"

#include <string_view>

namespace plovik {
namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hexValue(char c) {
    if (isAsciiDigit(c)) {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

bool isUnreserved(char c) {
    return isAsciiLetter(c) || isAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

// Characters that may appear unescaped after the scheme.
bool isUrlCharacter(char c) {
    return isUnreserved(c) ||
           std::string_view(":/?#[]@!$&'()*+,;=").find(c) != std::string_view::npos;
}

bool isValidScheme(std::string_view scheme) {
    if (scheme.empty() || !isAsciiLetter(scheme.front())) {
        return false;
    }
    for (const char c : scheme) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

bool isValidRest(std::string_view rest) {
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%') {
            if (i + 2 >= rest.size() || !isHexDigit(rest[i + 1]) || !isHexDigit(rest[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!isUrlCharacter(rest[i])) {
            return false;
        }
    }
    return true;
}

std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            decoded.push_back(
                static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || !isValidScheme(text.substr(0, colon)) ||
        !isValidRest(text.substr(colon + 1))) {
        return std::nullopt;
    }
    return Url(std::string(text));
}

std::optional<Url> Url::fileUrl(std::string_view absolutePath) {
    if (absolutePath.empty() || absolutePath.front() != '/') {
        return std::nullopt;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "file://";
    for (const char c : absolutePath) {
        if (isUnreserved(c) || c == '/') {
            text.push_back(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            text += {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        }
    }
    return Url(std::move(text));
}

std::string Url::scheme() const {
    std::string scheme = text_.substr(0, text_.find(':'));
    for (char& c : scheme) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c | 0x20);
        }
    }
    return scheme;
}

std::optional<std::string> Url::filePath() const {
    if (scheme() != "file") {
        return std::nullopt;
    }
    std::string_view rest = std::string_view(text_).substr(text_.find(':') + 1);
    if (rest.starts_with("//localhost/")) {
        rest.remove_prefix(11);
    } else if (rest.starts_with("///")) {
        rest.remove_prefix(2);
    } else if (!rest.starts_with("/") || rest.starts_with("//")) {
        return std::nullopt;
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    return percentDecoded(rest);
}

}  // namespace plovik
