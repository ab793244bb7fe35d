#include "core/support/InputText.h"

#include <sstream>

#include "core/text/Utf8.h"

namespace plovik {

namespace {
constexpr std::size_t kMaximumSize = std::size_t{1} << 30;
}  // namespace

std::variant<std::string, InputText::Error> InputText::read(std::istream& stream) {
    std::ostringstream contents;
    contents << stream.rdbuf();
    if (stream.bad()) {
        return Error{"cannot read the input"};
    }
    std::string text = std::move(contents).str();
    // The text helpers count bytes in 32-bit integers.
    if (text.size() > kMaximumSize) {
        return Error{"the input is larger than 1 GiB"};
    }
    if (const auto offset = text::Utf8::firstMalformedOffset(text)) {
        return Error{"the input is not UTF-8: malformed byte sequence at byte offset " +
                     std::to_string(*offset)};
    }
    return text;
}

}  // namespace plovik
