// A stand-in for a game's executable. Game Explorer never runs it: it only reads the game
// definition embedded in its resources, so the program itself has nothing to do.
int main() { return 0; }
