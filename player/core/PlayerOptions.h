#pragma once
// The player's options: DWORD values directly under its key, read with their
// defaults every time a movie opens and written back when playback stops.
#include <QString>

namespace lumi::player {

struct PlayerOptions {
  int bEnableBookmark = 1;
  int bAskMove = 0;
  int bEnableCaption = 1;
  int bOverlayMode = 1;
  int nVolume = 50;
  int nVideoSideCut = 0;
  int nScreenMoveX = 0;
  int nScreenMoveY = 0;
  int nCaptionMoveY = 85;
  int nBrightness = 50;
  int nContrast = 50;
  int nSaturation = 50;
  int nPresetMode = 0;
  int nVGAAccelLevel = 3;

  // `playerKey` is the player's key under HKEY_CURRENT_USER.
  void LoadOptions(const QString& playerKey);
  // All values in table order; the colour settings last and only when not
  // negative.
  void SaveOptions(const QString& playerKey) const;
};

}  // namespace lumi::player
