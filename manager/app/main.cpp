#include "manager/app/ManagerStartup.h"

int main(int argc, char** argv) { return lumi::manager::RunManager(argc, argv); }
