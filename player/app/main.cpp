#include "player/app/PlayerStartup.h"

int main(int argc, char** argv) { return lumi::player::RunPlayer(argc, argv); }
