#include "core/support/InputText.h"

#include "core/text/Utf8.h"

namespace plovik {

namespace {
constexpr std::size_t kMaximumSize = std::size_t{1} << 30;
}  // namespace

std::variant<std::string, InputText::Error> InputText::read(std::istream& stream) {
    // Read by blocks rather than by copying the stream buffer: a read error (a folder
    // given as input, an I/O error) then marks the stream bad instead of looking like
    // the end of the input.
    std::string text;
    char buffer[64 * 1024];
    while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(stream.gcount()));
        // The text helpers count bytes in 32-bit integers.
        if (text.size() > kMaximumSize) {
            return Error{"the input is larger than 1 GiB"};
        }
    }
    if (stream.bad()) {
        return Error{"cannot read the input"};
    }
    if (const auto offset = text::Utf8::firstMalformedOffset(text)) {
        return Error{"the input is not UTF-8: malformed byte sequence at byte offset " +
                     std::to_string(*offset)};
    }
    return text;
}

std::size_t InputText::firstPieceLength(std::string_view text, std::size_t pieceBytes) {
    const std::size_t lineEnd = text.find('\n');
    const std::size_t line = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
    if (line <= pieceBytes) {
        return line;
    }
    const std::size_t blank = text.substr(0, line).find_first_of(" \t", pieceBytes);
    return blank == std::string_view::npos ? line : blank + 1;
}

}  // namespace plovik
