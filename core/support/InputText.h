#pragma once

#include <istream>
#include <string>
#include <variant>

namespace plovik {

// The whole of a text stream, accepted only when it is UTF-8 (command-line input).
class InputText {
  public:
    struct Error {
        std::string message;
    };

    static std::variant<std::string, Error> read(std::istream& stream);
};

}  // namespace plovik
