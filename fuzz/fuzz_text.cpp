// Text as it comes from the command line and the keyboard: characters, pieces of long
// lines and the word buffer take any bytes.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "core/support/InputText.h"
#include "core/text/Graphemes.h"
#include "core/tokens/CurrentTokenBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream stream(input);
    const auto read = plovik::InputText::read(stream);
    const std::string* text = std::get_if<std::string>(&read);
    if (text == nullptr) {
        return 0;
    }
    std::string joined;
    plovik::text::Graphemes::forEach(*text,
                                     [&](const std::string& character) { joined += character; });
    if (joined != *text ||
        plovik::text::Graphemes::count(*text) != plovik::text::Graphemes::split(*text).size()) {
        std::abort();
    }
    std::size_t covered = 0;
    for (std::string_view rest = *text; !rest.empty();) {
        const std::size_t length = plovik::InputText::firstPieceLength(rest);
        if (length == 0 || length > rest.size()) {
            std::abort();
        }
        covered += length;
        rest.remove_prefix(length);
    }
    if (covered != text->size()) {
        std::abort();
    }
    plovik::CurrentTokenBuffer buffer(40);
    plovik::text::Graphemes::forEach(
        *text, [&](const std::string& character) { buffer.consume(character, std::nullopt); });
    return 0;
}
