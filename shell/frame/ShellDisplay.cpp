#include "shell/frame/ShellDisplay.h"

#include <QFile>
#include <QSaveFile>

#include "platform/instance/RuntimeFolder.h"
#include "platform/registry/Registry.h"

namespace lumi::shell {

using display::DisplayMode;
using registry::Key;
using registry::Root;

namespace {

// The record: two lines "original W H Hz" and "switched W H Hz".
struct Record {
  DisplayMode original;
  DisplayMode switchedTo;
};

QByteArray modeLine(const char* label, const DisplayMode& m) {
  return QByteArray(label) + ' ' + QByteArray::number(m.width) + ' ' + QByteArray::number(m.height) + ' ' +
         QByteArray::number(m.refreshHz, 'f', 3) + '\n';
}

std::optional<DisplayMode> parseMode(const QByteArray& line, const QByteArray& label) {
  const QList<QByteArray> fields = line.trimmed().split(' ');
  if (fields.size() != 4 || fields[0] != label) return std::nullopt;
  bool okW = false, okH = false, okR = false;
  const DisplayMode m{fields[1].toInt(&okW), fields[2].toInt(&okH), fields[3].toDouble(&okR)};
  if (!okW || !okH || !okR || m.width <= 0 || m.height <= 0 || m.width > 65535 || m.height > 65535 ||
      !(m.refreshHz >= 0.0 && m.refreshHz < 1000.0))
    return std::nullopt;
  return m;
}

// Anything but a well-formed record counts as none: a damaged file must not
// send the display to a made-up mode.
std::optional<Record> readRecord(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QList<QByteArray> lines = file.read(256).split('\n');
  if (lines.size() < 2) return std::nullopt;
  const auto original = parseMode(lines[0], "original");
  const auto switchedTo = parseMode(lines[1], "switched");
  if (!original || !switchedTo) return std::nullopt;
  return Record{*original, *switchedTo};
}

}  // namespace

ShellDisplay::ShellDisplay(display::DisplaySettings& settings, QString clientKey, QString recordFile)
    : settings_(settings), clientKey_(std::move(clientKey)), recordFile_(std::move(recordFile)) {}

QString ShellDisplay::DefaultRecordFile() {
  const QString folder = runtimeFolder();
  if (folder.isEmpty()) return {};
  QString display = qEnvironmentVariable("DISPLAY");
  for (QChar& c : display)
    if (!c.isLetterOrNumber() && c != u'.') c = u'_';
  return folder + QStringLiteral("/display-") + display + QStringLiteral(".mode");
}

bool ShellDisplay::SaveDisplaySettings() {
  saved_ = settings_.currentMode();
  if (!saved_) return false;
  if (const std::optional<Record> left = readRecord(recordFile_)) {
    if (saved_->sameSize(left->switchedTo)) {
      // Still showing what an earlier shell switched to.
      saved_ = left->original;
      switched_ = true;
    } else {
      // The mode was changed since by someone else: theirs is the original.
      dropRecord();
    }
  }
  return true;
}

qint32 ShellDisplay::ReadDisplayMode() {
  readDisplayMode();
  return displayMode_;
}

void ShellDisplay::keepRecord(const DisplayMode& switchedTo) {
  if (recordFile_.isEmpty() || !saved_) return;
  QSaveFile file(recordFile_);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(modeLine("original", *saved_) + modeLine("switched", switchedTo));
  if (!file.commit()) qWarning("display: cannot keep the display settings in %s", qPrintable(recordFile_));
}

void ShellDisplay::dropRecord() {
  if (!recordFile_.isEmpty()) QFile::remove(recordFile_);
}

void ShellDisplay::readDisplayMode() {
  quint32 value = 0;
  if (Key::open(Root::CurrentUser, clientKey_).readDWord(QStringLiteral("Resolution"), value))
    displayMode_ = qint32(value);
}

void ShellDisplay::ApplyDisplayMode(bool televisionMode) {
  readDisplayMode();
  if (televisionMode) {
    if (displayMode_ != kTelevisionMode) return;
    const std::optional<display::DisplayMode> current = settings_.currentMode();
    if (!current) return;
    if (current->width != kTelevisionWidth && current->height != kTelevisionHeight) {
      const DisplayMode television{kTelevisionWidth, kTelevisionHeight, current->refreshHz};
      // Kept before the switch: a shell killed right after it still leaves
      // the way back.
      if (!switched_) keepRecord(television);
      if (settings_.changeMode(television)) switched_ = true;
      else if (!switched_) dropRecord();
    }
    return;
  }
  // A display this shell switched is given back even when "Resolution" was
  // changed to windowed meanwhile: the setting governs switching, and must
  // not strand the desktop at 800 x 600 after the shell is gone.
  if (displayMode_ != kTelevisionMode && !switched_) return;
  if (!saved_) return;
  if (settings_.changeMode(*saved_)) {
    switched_ = false;
    dropRecord();
  }
}

}  // namespace lumi::shell
