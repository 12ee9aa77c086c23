#include "shell/app/ShellStartup.h"

int main(int argc, char** argv) { return lumi::shell::RunShell(argc, argv); }
