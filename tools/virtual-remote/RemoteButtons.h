#pragma once
// What the virtual remote sends: the bytes a receiver of either model puts on
// the line for a button, found by the button's text in the key maps, by a
// short alias ("Up", "OK", "Rew", "5", "Power", "Mode"), by its code in hex
// ("0xB0", "0x3F0245") or given as raw bytes ("raw:45023F").
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "manager/core/RemoteDecoder.h"
#include "manager/core/RemoteModel.h"

namespace lumi::virtualremote {

using manager::RemoteModel;

// The packets are the receiver model's own (manager::packetFor), the exact
// inverse of what the manager decodes.
using manager::packetFor;
// Model B's identification: the single byte 'M', read as code 77.
inline const QByteArray kIdentification = QByteArrayLiteral("M");

struct Press {
  QString label;     // what to print for it
  QByteArray bytes;  // what goes on the line
  std::optional<quint32> code;  // none for raw bytes
};

// Empty, with `error` set, for a name the model does not have.
std::optional<Press> pressFor(RemoteModel model, const QString& name, QString* error = nullptr);

struct ButtonInfo {
  quint32 code = 0;
  QStringList names;    // the texts of the key maps
  QString suiteAction;  // with a suite window in front (move mode)
  QString keyboardAction;
};
std::vector<ButtonInfo> buttonList(RemoteModel model);

}  // namespace lumi::virtualremote
