// The reference process of scripts/bench: starts, prints one line and exits, nothing else.
#include <iostream>

int main() {
    std::cout << "baseline" << std::endl;
    return 0;
}
