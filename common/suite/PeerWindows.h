#pragma once
// Finding, claiming, closing and waiting for the other programs' windows.
#include <QString>

#include "platform/desktop/Desktop.h"

namespace lumi::suite {

using desktop::WindowId;

// The suite window with exactly this title: the first window a title search
// finds when it answers WM_SUITE_PING with 1, else the first of the windows
// after it in z-order with the same title that does. 0 when none does (the
// program is not running; a foreign window with that title is passed over).
WindowId FindPeerWindow(const QString& title, desktop::Desktop& desktop = desktop::Desktop::instance());

// True when the window answers the identity query with 1.
bool AnswersPing(WindowId window, desktop::Desktop& desktop = desktop::Desktop::instance());

// Makes `ownWindow` the manager's key target: WM_COPYDATA with data word 1135
// and no data to the manager's window. False when the manager is not running.
bool ClaimRemoteKeys(WindowId ownWindow, const QString& managerTitle,
                     desktop::Desktop& desktop = desktop::Desktop::instance());

// Makes a window the foreground window (restored and raised).
bool BringToForeground(WindowId window, desktop::Desktop& desktop = desktop::Desktop::instance());

// How the closer knows that the other program is gone.
enum class GoneWhen {
  PingFails,     // the identity query answers 0 (the manager's way)
  WindowGone,    // the window no longer exists (the updater's way)
};

// Closes another suite program: terminates the window's process, posts
// WM_CLOSE to the window, then waits until it is gone. A program that ignores
// WM_CLOSE ends all the same. False when it is still there after timeoutMs.
bool CloseSuiteProgram(WindowId window, GoneWhen gone = GoneWhen::PingFails, int timeoutMs = 10000,
                       desktop::Desktop& desktop = desktop::Desktop::instance());

// Waits until the window stops answering the identity query (its program has
// ended). timeoutMs < 0 waits as long as it takes. False on time-out.
bool WaitUntilGone(WindowId window, int timeoutMs = -1, desktop::Desktop& desktop = desktop::Desktop::instance());

}  // namespace lumi::suite
