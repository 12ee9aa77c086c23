#include "common/suite/SuiteMessages.h"

#include <array>

namespace lumi::suite {
namespace {

struct Name {
  int code;
  const char* name;
};

// The first name of each code is the one keyName() gives.
constexpr std::array kNames{
    Name{KeyPower, "Power"}, Name{KeyPC, "PC"},         Name{KeyDigit1, "Digit1"},      Name{KeyDigit2, "Digit2"},
    Name{KeyDigit3, "Digit3"},    Name{KeyDigit4, "Digit4"},      Name{KeyDigit5, "Digit5"},      Name{KeyDigit6, "Digit6"},
    Name{KeyDigit7, "Digit7"},    Name{KeyDigit8, "Digit8"},      Name{KeyDigit9, "Digit9"},      Name{KeyDigit0, "Digit0"},
    Name{KeyMenu, "Menu"},   Name{KeyOk, "OK"},         Name{KeyOk, "Enter"},      Name{KeyExit, "Exit"},
    Name{KeyUp, "Up"},       Name{KeyDown, "Down"},     Name{KeyLeft, "Left"},     Name{KeyRight, "Right"},
    Name{KeyHome, "Home"},   Name{KeyEnd, "End"},       Name{KeyPageUp, "PageUp"}, Name{KeyPageDown, "PageDown"},
    Name{KeyRewind, "Rew"},  Name{KeyRewind, "Rewind"}, Name{KeyPlay, "Play"},     Name{KeyPause, "Pause"},
    Name{KeyStop, "Stop"},   Name{KeyFastForward, "FF"}, Name{KeyFastForward, "FastForward"},
    Name{KeyRecord, "Rec"},  Name{KeyRecord, "Record"}, Name{KeyVolumeUp, "Vol+"}, Name{KeyVolumeUp, "VolumeUp"},
    Name{KeyVolumeDown, "Vol-"}, Name{KeyVolumeDown, "VolumeDown"}, Name{KeyChannelUp, "Ch+"},
    Name{KeyChannelUp, "ChannelUp"}, Name{KeyChannelDown, "Ch-"}, Name{KeyChannelDown, "ChannelDown"},
    Name{KeyMute, "Mute"},   Name{KeyColourA, "A"},     Name{KeyColourB, "B"},     Name{KeyColourC, "C"},
};

}  // namespace

std::optional<QString> keyName(int code) {
  for (const Name& n : kNames)
    if (n.code == code) return QString::fromLatin1(n.name);
  return std::nullopt;
}

std::optional<int> keyFromName(const QString& name) {
  // A number is always the code itself, so that "2" is code 2 (digit 1).
  bool ok = false;
  const int code = name.toInt(&ok);
  if (ok) return keyName(code) ? std::optional<int>(code) : std::nullopt;
  for (const Name& n : kNames)
    if (name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) return n.code;
  return std::nullopt;
}

QString managerTitle(text::Language language) {
  return language == text::Language::Korean ? QStringLiteral("Lumicaster 관리자") : QStringLiteral("Lumicaster Manager");
}

}  // namespace lumi::suite
