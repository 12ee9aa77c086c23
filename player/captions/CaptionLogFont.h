#pragma once
// The caption font the player keeps: a 60-byte LOGFONTA stored as the binary
// value "LogFont" under the player's FONT key, the size commands, and the copy
// of it the caption filter draws with.
#include <QByteArray>
#include <QString>
#include <optional>

#include "filter/core/LogFont.h"

namespace lumi::player {

using caption::LOGFONTA;

// The value as stored: the fields little-endian in their order, 60 bytes.
QByteArray logFontBytes(const LOGFONTA& font);
// Empty when the bytes are not a usable font: another size than 60, a face
// name without its terminating zero, or a height no screen could show.
std::optional<LOGFONTA> logFontFromBytes(QByteArrayView bytes);

// lfHeight -37, charset 1, quality 4, face "굴림", normal weight.
LOGFONTA defaultCaptionFont();

// The font handed to the caption filter, which draws into the movie's own
// frames: 1.3 times the bar's height, scaled from the monitor down to the
// movie (multiplied before it is divided, so a movie smaller than the
// monitor keeps its caption), in bold. Without a monitor height the height is
// not scaled.
LOGFONTA filterFontFor(const LOGFONTA& font, int videoHeight, int monitorHeight);

class CaptionLogFont {
 public:
  static constexpr int kSizeUpCommand = 32772;    // Ctrl+PageUp
  static constexpr int kSizeDownCommand = 32773;  // Ctrl+PageDown
  static constexpr int kLargestBeforeStep = -69;  // no larger step below this
  static constexpr int kSmallestBeforeStep = -20; // no smaller step from here

  // `playerKey`: the player's key under HKEY_CURRENT_USER; the font lives in
  // its sub-key "FONT".
  explicit CaptionLogFont(QString playerKey);

  // Reads "LogFont". A missing or unusable value is replaced by the default,
  // which is written at once. True when the stored value was used.
  bool load();
  const LOGFONTA& font() const { return font_; }

  // Ctrl+PageUp: 2 pixels larger unless already larger than 69; Ctrl+PageDown:
  // 2 smaller while larger than 20. The width goes back to automatic. True
  // (and written) when the size changed.
  bool sizeUp();
  bool sizeDown();
  // The font dialog's choice, always antialiased; written at once.
  void setFont(const LOGFONTA& font);

  bool save() const;
  QString keyPath() const;

 private:
  QString playerKey_;
  LOGFONTA font_ = defaultCaptionFont();
};

}  // namespace lumi::player
