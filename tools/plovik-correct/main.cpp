// plovik-correct: corrects text typed under the wrong keyboard layout, word by word, as the
// application does while the user types.
#include <iostream>

#include "tools/plovik-correct/CorrectProgram.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return plovik::CorrectProgram::run({argv + 1, argv + argc}, std::cin, std::cout, std::cerr);
}
