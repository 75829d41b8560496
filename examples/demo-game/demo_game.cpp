// A stand-in for a game's executable, to register with Game Explorer. Game Explorer never runs
// it: it reads the game definition embedded in its resources (demo_game.rc).
#include <cstdio>

int main() {
    std::puts("Brackenfold demo game: nothing to play here.");
    return 0;
}
