#include "manager/core/RemoteModel.h"

namespace lumi::manager {

RemoteModel modelFromValue(quint32 value) { return value == 1 ? RemoteModel::B : RemoteModel::A; }

QString modelName(RemoteModel model) {
  return model == RemoteModel::B ? QStringLiteral("Mouse Remote(Model B)") : QStringLiteral("Universal Remote(Model A)");
}

LineSettings lineSettings(RemoteModel model) {
  if (model == RemoteModel::B) return {1200, 7, true};
  return {9600, 8, false};
}

int packetSize(RemoteModel model) { return model == RemoteModel::B ? 3 : 10; }

}  // namespace lumi::manager
