#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <variant>

namespace plovik {

// The whole of a text stream, accepted only when it is UTF-8 (command-line input).
class InputText {
  public:
    struct Error {
        std::string message;
    };

    static std::variant<std::string, Error> read(std::istream& stream);
    // The length of the text's first piece: through its first line break, or through the
    // first space or tab after `pieceBytes` when the line is longer. Nothing typed after a
    // piece can change it, so a long line is worked through in pieces of bounded size.
    static std::size_t firstPieceLength(std::string_view text,
                                        std::size_t pieceBytes = kPieceBytes);
    static constexpr std::size_t kPieceBytes = 64 * 1024;
};

}  // namespace plovik
