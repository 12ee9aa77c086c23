#pragma once
namespace lumi::updater {
// Freshwell's start-up: single instance, automation entries, the resource
// library, the registry values, then the main window until it closes.
int RunUpdater(int argc, char** argv);
}  // namespace lumi::updater
