#include <iostream>

int main() {
    std::cout << "Plovik\n";
    return 0;
}
