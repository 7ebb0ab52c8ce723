#include "shell/startup.h"

int main(int argc, char** argv) { return br::run_game(argc, argv); }
