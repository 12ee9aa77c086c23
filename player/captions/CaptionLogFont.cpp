#include "player/captions/CaptionLogFont.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/registry/Registry.h"

namespace lumi::player {

namespace {

constexpr int kLogFontBytes = 60;
constexpr int kFaceOffset = 28;
constexpr int kFaceBytes = 32;
// A caption a thousand pixels high fills any screen; a stored height beyond
// that is damage, and handed on it would make the filter lay out huge glyphs.
constexpr int kMaxHeight = 1000;
constexpr int kAntialiased = 4;
constexpr int kBold = 700;

const QString kFontKey = QStringLiteral("FONT");
const QString kValueName = QStringLiteral("LogFont");

void put32(QByteArray& out, int at, std::int32_t v) { qToLittleEndian<std::int32_t>(v, out.data() + at); }
std::int32_t get32(QByteArrayView in, int at) { return qFromLittleEndian<std::int32_t>(in.data() + at); }

}  // namespace

QByteArray logFontBytes(const LOGFONTA& f) {
  QByteArray out(kLogFontBytes, '\0');
  put32(out, 0, f.lfHeight);
  put32(out, 4, f.lfWidth);
  put32(out, 8, f.lfEscapement);
  put32(out, 12, f.lfOrientation);
  put32(out, 16, f.lfWeight);
  const std::uint8_t bytes[8] = {f.lfItalic,      f.lfUnderline,     f.lfStrikeOut, f.lfCharSet,
                                 f.lfOutPrecision, f.lfClipPrecision, f.lfQuality,   f.lfPitchAndFamily};
  std::memcpy(out.data() + 20, bytes, sizeof bytes);
  std::memcpy(out.data() + kFaceOffset, f.lfFaceName, kFaceBytes);
  return out;
}

std::optional<LOGFONTA> logFontFromBytes(QByteArrayView in) {
  if (in.size() != kLogFontBytes) return std::nullopt;
  if (!std::memchr(in.data() + kFaceOffset, '\0', kFaceBytes)) return std::nullopt;
  LOGFONTA f;
  f.lfHeight = get32(in, 0);
  f.lfWidth = get32(in, 4);
  f.lfEscapement = get32(in, 8);
  f.lfOrientation = get32(in, 12);
  f.lfWeight = get32(in, 16);
  if (f.lfHeight < -kMaxHeight || f.lfHeight > kMaxHeight) return std::nullopt;
  auto byte = [&](int at) { return std::uint8_t(in[at]); };
  f.lfItalic = byte(20);
  f.lfUnderline = byte(21);
  f.lfStrikeOut = byte(22);
  f.lfCharSet = byte(23);
  f.lfOutPrecision = byte(24);
  f.lfClipPrecision = byte(25);
  f.lfQuality = byte(26);
  f.lfPitchAndFamily = byte(27);
  std::memcpy(f.lfFaceName, in.data() + kFaceOffset, kFaceBytes);
  return f;
}

LOGFONTA defaultCaptionFont() {
  LOGFONTA f;
  f.lfHeight = -37;
  f.lfWidth = 0;
  f.lfWeight = 400;  // the window font it starts from is of normal weight
  f.lfCharSet = 1;
  f.lfOutPrecision = 0;
  f.lfClipPrecision = 0;
  f.lfQuality = kAntialiased;
  const char face[] = "굴림";
  static_assert(sizeof face <= sizeof f.lfFaceName);
  std::memcpy(f.lfFaceName, face, sizeof face);
  return f;
}

LOGFONTA filterFontFor(const LOGFONTA& font, int videoHeight, int monitorHeight) {
  LOGFONTA f = font;
  const std::int64_t enlarged = std::int64_t(std::trunc(double(font.lfHeight) * 1.3));
  const std::int64_t scaled = monitorHeight > 0 ? enlarged * videoHeight / monitorHeight : enlarged;
  f.lfHeight = std::int32_t(std::clamp<std::int64_t>(scaled, -kMaxHeight * 2, kMaxHeight * 2));
  f.lfWeight = kBold;
  return f;
}

CaptionLogFont::CaptionLogFont(QString playerKey) : playerKey_(std::move(playerKey)) {}

QString CaptionLogFont::keyPath() const { return playerKey_ + u'\\' + kFontKey; }

bool CaptionLogFont::load() {
  QByteArray stored;
  const registry::Key key = registry::Key::open(registry::Root::CurrentUser, keyPath());
  if (key.readBinary(kValueName, stored)) {
    if (const std::optional<LOGFONTA> font = logFontFromBytes(stored)) {
      font_ = *font;
      return true;
    }
  }
  font_ = defaultCaptionFont();
  save();
  return false;
}

bool CaptionLogFont::sizeUp() {
  if (font_.lfHeight < kLargestBeforeStep) return false;
  font_.lfHeight -= 2;
  font_.lfWidth = 0;
  save();
  return true;
}

bool CaptionLogFont::sizeDown() {
  if (font_.lfHeight >= kSmallestBeforeStep) return false;
  font_.lfHeight += 2;
  font_.lfWidth = 0;
  save();
  return true;
}

void CaptionLogFont::setFont(const LOGFONTA& font) {
  font_ = font;
  font_.lfQuality = kAntialiased;
  // A face name filling the whole field would make the stored value unreadable.
  font_.lfFaceName[kFaceBytes - 1] = '\0';
  save();
}

bool CaptionLogFont::save() const {
  registry::Key key = registry::Key::create(registry::Root::CurrentUser, keyPath(), QStringLiteral("CONFIG"));
  return key.isOpen() && key.writeBinary(kValueName, logFontBytes(font_));
}

}  // namespace lumi::player
