#pragma once
// The keyboard accelerators of the player's caption commands.
namespace lumi::player {

constexpr int kCaptionToggleCommand = 32807;    // Alt+H
constexpr int kCaptionMoveUpCommand = 32801;    // Ctrl+Up
constexpr int kCaptionMoveDownCommand = 32803;  // Ctrl+Down

// The caption command of a key (a Qt key code) with its modifiers, or 0 when
// the key is not one of them. Sync: Ctrl+Insert/Delete/Home/End, Ctrl+G;
// size: Ctrl+PageUp/PageDown; place: Ctrl+Up/Down; on/off: Alt+H.
int CaptionCommandForKey(int qtKey, bool ctrl, bool alt, bool shift);

}  // namespace lumi::player
