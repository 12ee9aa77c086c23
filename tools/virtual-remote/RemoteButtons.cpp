#include "tools/virtual-remote/RemoteButtons.h"

#include <cctype>

#include "common/suite/SuiteMessages.h"
#include "manager/core/KeyMaps.h"

namespace lumi::virtualremote {

using namespace manager;

namespace {

QString squeeze(const QString& name) {
  QString out;
  for (const QChar c : name)
    if (!c.isSpace()) out += c.toLower();
  return out;
}

std::optional<quint32> byMapText(RemoteModel model, const QString& name) {
  const QString wanted = squeeze(name);
  for (const RemoteButton& button : remoteButtons(model))
    for (const QString& text : button.texts)
      if (squeeze(text) == wanted) return button.code;
  return std::nullopt;
}

// The code that gives a suite window this key, in number or else move mode.
std::optional<quint32> bySuiteKey(RemoteModel model, int suiteKey) {
  for (const InputMode mode : {InputMode::Number, InputMode::Move})
    for (const RemoteButton& button : remoteButtons(model)) {
      const KeyLookup found = lookupKey(model, TargetKind::Suite, mode, button.code);
      if (found.action.kind == KeyAction::Kind::SuiteKey && found.action.suiteKey == suiteKey) return button.code;
    }
  return std::nullopt;
}

std::optional<quint32> byKind(RemoteModel model, KeyAction::Kind kind) {
  for (const RemoteButton& button : remoteButtons(model))
    if (lookupKey(model, TargetKind::Suite, kInitialInputMode, button.code).action.kind == kind) return button.code;
  return std::nullopt;
}

std::optional<QByteArray> rawBytes(const QString& hex) {
  QByteArray digits = hex.toLatin1();
  digits.replace(' ', "").replace(',', "").replace(':', "");
  if (digits.isEmpty() || digits.size() % 2 != 0) return std::nullopt;
  for (const char c : digits)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return QByteArray::fromHex(digits);
}

}  // namespace

std::optional<Press> pressFor(RemoteModel model, const QString& name, QString* error) {
  const QString trimmed = name.trimmed();
  auto fail = [&](const QString& why) -> std::optional<Press> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (trimmed.isEmpty()) return fail(QStringLiteral("empty button name"));

  if (trimmed.startsWith(QLatin1String("raw:"), Qt::CaseInsensitive)) {
    const auto bytes = rawBytes(trimmed.mid(4));
    if (!bytes) return fail(QStringLiteral("%1: raw bytes are pairs of hex digits").arg(trimmed));
    return Press{trimmed, *bytes, std::nullopt};
  }
  if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    bool ok = false;
    const quint32 code = trimmed.mid(2).toUInt(&ok, 16);
    if (!ok) return fail(QStringLiteral("%1: not a hex code").arg(trimmed));
    // Model A carries one signed byte: 0xB0 and 0xFFFFFFB0 are the same code.
    if (model == RemoteModel::A && code > 0xFF && code < 0xFFFFFF80)
      return fail(QStringLiteral("%1: model A codes are one byte").arg(trimmed));
    if (model == RemoteModel::B && code > 0xFFFFFF) return fail(QStringLiteral("%1: model B codes are three bytes").arg(trimmed));
    const quint32 delivered = model == RemoteModel::A ? modelACode(quint8(code)) : code;
    return Press{trimmed, packetFor(model, delivered), delivered};
  }
  if (model == RemoteModel::B && squeeze(trimmed) == QLatin1String("identify"))
    return Press{QStringLiteral("Identify"), kIdentification, 77};

  std::optional<quint32> code = byMapText(model, trimmed);
  if (!code && trimmed.size() == 1 && trimmed[0].isDigit())
    code = bySuiteKey(model, trimmed[0] == '0' ? suite::KeyDigit0 : suite::KeyDigit1 + trimmed[0].digitValue() - 1);
  if (!code) {
    const QString word = squeeze(trimmed);
    if (word == QLatin1String("power")) code = byKind(model, KeyAction::Kind::Power);
    else if (word == QLatin1String("mode")) code = byKind(model, KeyAction::Kind::ModeChange);
    else if (word == QLatin1String("taskswitch") || word == QLatin1String("ab")) code = byKind(model, KeyAction::Kind::TaskSwitch);
  }
  if (!code) {
    bool number = false;
    trimmed.toInt(&number);
    // keyFromName reads numbers as key codes; a button is never named by one.
    if (const auto key = number ? std::nullopt : suite::keyFromName(trimmed)) code = bySuiteKey(model, *key);
  }
  if (!code) return fail(QStringLiteral("%1: no such button on model %2 (--list shows them)")
                             .arg(trimmed, model == RemoteModel::A ? "A" : "B"));
  return Press{trimmed, packetFor(model, *code), *code};
}

std::vector<ButtonInfo> buttonList(RemoteModel model) {
  std::vector<ButtonInfo> list;
  for (const RemoteButton& button : remoteButtons(model)) {
    ButtonInfo info;
    info.code = button.code;
    info.names = button.texts;
    const KeyLookup suiteKey = lookupKey(model, TargetKind::Suite, kInitialInputMode, button.code);
    const KeyLookup keyboard = lookupKey(model, TargetKind::Foreign, kInitialInputMode, button.code);
    // Power and the mode key show no text of their own: name them by what they do.
    if (info.names.isEmpty() && suiteKey.action.kind == KeyAction::Kind::Power) info.names << QStringLiteral("Power");
    if (info.names.isEmpty() && suiteKey.action.kind == KeyAction::Kind::ModeChange) info.names << QStringLiteral("Mode");
    info.suiteAction = suiteKey.known ? suiteKey.action.describe() : QStringLiteral("unknown");
    info.keyboardAction = keyboard.known ? keyboard.action.describe() : QStringLiteral("unknown");
    list.push_back(info);
  }
  return list;
}

}  // namespace lumi::virtualremote
