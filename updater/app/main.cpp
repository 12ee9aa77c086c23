#include "updater/app/UpdaterStartup.h"

int main(int argc, char** argv) { return lumi::updater::RunUpdater(argc, argv); }
