#pragma once
// The manager program from start to exit.
namespace lumi::manager {
int RunManager(int argc, char** argv);
}
