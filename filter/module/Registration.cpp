#include "filter/module/Registration.h"

#include "filter/com/FilterData.h"
#include "filter/com/InprocServer.h"
#include "filter/module/ClassFactory.h"
#include "filter/module/ModuleState.h"
#include "platform/registry/Registry.h"

namespace lumi::caption::module {

using namespace lumi::com;
using lumi::registry::Batch;
using lumi::registry::Root;

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString guidText(const GUID& g) { return qs(guidToString(g)); }

QString instancePath(const CLSID& clsid) {
  return qs(classKeyPath(CLSID_LegacyAmFilterCategory)) + "\\Instance\\" + guidText(clsid);
}

void writeClass(Batch& batch, const FactoryTemplate& t, const QString& path) {
  const QString classPath = qs(classKeyPath(t.clsid));
  batch.writeString(classPath, QString(), QString::fromUtf8(t.name));
  batch.writeString(classPath + "\\InprocServer32", QString(), path);
  batch.writeString(classPath + "\\InprocServer32", "ThreadingModel", "Both");
}

void writeFilter(Batch& batch, const RegFilter& f) {
  const QString classPath = qs(classKeyPath(f.clsid));
  batch.writeDWord(classPath, "Merit", f.merit);
  batch.removeKey(classPath + "\\Pins");  // no pins of an older registration stay behind
  for (const RegPin& pin : f.pins) {
    const QString pinPath = classPath + "\\Pins\\" + QString::fromUtf8(pin.name.c_str());
    batch.writeDWord(pinPath, "Direction", pin.output ? 1 : 0);
    batch.writeDWord(pinPath, "IsRendered", pin.rendered);
    batch.writeDWord(pinPath, "AllowedZero", pin.zero);
    batch.writeDWord(pinPath, "AllowedMany", pin.many);
    batch.writeString(pinPath, "ConnectsToFilter", guidText(pin.connectsToFilter));
    batch.writeString(pinPath, "ConnectsToPin", QString::fromUtf8(pin.connectsToPin.c_str()));
    for (const RegPinType& type : pin.types)
      batch.createKey(pinPath + "\\Types\\" + guidText(type.major) + "\\" + guidText(type.minor));
  }
  const QString instance = instancePath(f.clsid);
  const std::vector<std::uint8_t> data = encodeFilterData(f);
  batch.writeString(instance, "FriendlyName", QString::fromUtf8(f.name.c_str()));
  batch.writeString(instance, "CLSID", guidText(f.clsid));
  batch.writeBinary(instance, "FilterData",
                    QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
}

}  // namespace

// Each direction is one batch: a host registers and unregisters on every
// movie start, and the machine hive is then rewritten once each way, with
// readers seeing the whole registration or none of it.
HRESULT registerServer() {
  const std::string path = modulePath();
  if (path.empty()) return E_FAIL;
  int count = 0;
  const FactoryTemplate* templates = factoryTemplates(&count);
  Batch batch(Root::LocalMachine);
  for (int i = 0; i < count; ++i) writeClass(batch, templates[i], qs(path));
  for (int i = 0; i < count; ++i)
    if (templates[i].setup) writeFilter(batch, *templates[i].setup);
  return batch.apply() ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterServer() {
  int count = 0;
  const FactoryTemplate* templates = factoryTemplates(&count);
  Batch batch(Root::LocalMachine);
  for (int i = 0; i < count; ++i) {
    if (templates[i].setup) batch.removeKey(instancePath(templates[i].clsid));
    batch.removeKey(qs(classKeyPath(templates[i].clsid)));
  }
  return batch.apply() ? S_OK : E_FAIL;
}

}  // namespace lumi::caption::module
