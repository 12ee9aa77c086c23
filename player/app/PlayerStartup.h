#pragma once
namespace lumi::player {
// The whole life of "Cinevane.exe"; returns its exit code.
int RunPlayer(int argc, char** argv);
}  // namespace lumi::player
