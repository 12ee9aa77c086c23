#include "player/core/PlayerOptions.h"

#include <cstdio>

#include "platform/registry/Registry.h"

namespace lumi::player {

using registry::Batch;
using registry::Key;
using registry::Root;

namespace {

struct Field {
  const char* name;
  int PlayerOptions::*member;
};

constexpr Field kFields[] = {
    {"bEnableBookmark", &PlayerOptions::bEnableBookmark}, {"bAskMove", &PlayerOptions::bAskMove},
    {"bEnableCaption", &PlayerOptions::bEnableCaption},   {"bOverlayMode", &PlayerOptions::bOverlayMode},
    {"nVolume", &PlayerOptions::nVolume},                 {"nVideoSideCut", &PlayerOptions::nVideoSideCut},
    {"nScreenMoveX", &PlayerOptions::nScreenMoveX},       {"nScreenMoveY", &PlayerOptions::nScreenMoveY},
    {"nCaptionMoveY", &PlayerOptions::nCaptionMoveY},     {"nPresetMode", &PlayerOptions::nPresetMode},
    {"nVGAAccelLevel", &PlayerOptions::nVGAAccelLevel},
};
constexpr Field kColours[] = {{"nBrightness", &PlayerOptions::nBrightness},
                              {"nContrast", &PlayerOptions::nContrast},
                              {"nSaturation", &PlayerOptions::nSaturation}};

}  // namespace

void PlayerOptions::LoadOptions(const QString& playerKey) {
  const Key key = Key::open(Root::CurrentUser, playerKey);
  auto read = [&](const Field& f) {
    quint32 value = 0;
    if (key.readDWord(QString::fromLatin1(f.name), value)) this->*f.member = int(value);
  };
  for (const Field& f : kFields) read(f);
  for (const Field& f : kColours) read(f);
  std::fprintf(stderr, "LoadOptions : m_nVideoSideCut %d\n", nVideoSideCut);
}

void PlayerOptions::SaveOptions(const QString& playerKey) const {
  // One rewrite of the hive for the whole record.
  Batch batch(Root::CurrentUser);
  for (const Field& f : kFields) batch.writeDWord(playerKey, QString::fromLatin1(f.name), quint32(this->*f.member));
  for (const Field& f : kColours)
    if (this->*f.member >= 0) batch.writeDWord(playerKey, QString::fromLatin1(f.name), quint32(this->*f.member));
  batch.apply();
  std::fprintf(stderr, "SaveOptions : m_nVideoSideCut %d\n", nVideoSideCut);
}

}  // namespace lumi::player
