#include "filter/module/Registration.h"

#include "filter/com/FilterData.h"
#include "filter/com/InprocServer.h"
#include "filter/module/ClassFactory.h"
#include "filter/module/ModuleState.h"
#include "platform/registry/Registry.h"

namespace lumi::caption::module {

using namespace lumi::com;
using lumi::registry::Key;
using lumi::registry::Root;

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString guidText(const GUID& g) { return qs(guidToString(g)); }

QString instancePath(const CLSID& clsid) {
  return qs(classKeyPath(CLSID_LegacyAmFilterCategory)) + "\\Instance\\" + guidText(clsid);
}

bool writeClass(const FactoryTemplate& t, const QString& path) {
  Key key = Key::create(Root::LocalMachine, qs(classKeyPath(t.clsid)));
  Key server = Key::create(Root::LocalMachine, qs(classKeyPath(t.clsid)) + "\\InprocServer32");
  return key.isOpen() && server.isOpen() && key.writeString(QString(), QString::fromUtf8(t.name)) &&
         server.writeString(QString(), path) && server.writeString("ThreadingModel", "Both");
}

bool writeFilter(const RegFilter& f) {
  const QString classPath = qs(classKeyPath(f.clsid));
  Key key = Key::open(Root::LocalMachine, classPath);
  if (!key.isOpen() || !key.writeDWord("Merit", f.merit)) return false;
  Key::remove(Root::LocalMachine, classPath + "\\Pins");  // no pins of an older registration stay behind
  for (const RegPin& pin : f.pins) {
    const QString pinPath = classPath + "\\Pins\\" + QString::fromUtf8(pin.name.c_str());
    Key p = Key::create(Root::LocalMachine, pinPath);
    if (!p.isOpen() || !p.writeDWord("Direction", pin.output ? 1 : 0) || !p.writeDWord("IsRendered", pin.rendered) ||
        !p.writeDWord("AllowedZero", pin.zero) || !p.writeDWord("AllowedMany", pin.many) ||
        !p.writeString("ConnectsToFilter", guidText(pin.connectsToFilter)) ||
        !p.writeString("ConnectsToPin", QString::fromUtf8(pin.connectsToPin.c_str())))
      return false;
    for (const RegPinType& type : pin.types)
      if (!Key::create(Root::LocalMachine, pinPath + "\\Types\\" + guidText(type.major) + "\\" + guidText(type.minor))
               .isOpen())
        return false;
  }
  Key instance = Key::create(Root::LocalMachine, instancePath(f.clsid));
  const std::vector<std::uint8_t> data = encodeFilterData(f);
  return instance.isOpen() && instance.writeString("FriendlyName", QString::fromUtf8(f.name.c_str())) &&
         instance.writeString("CLSID", guidText(f.clsid)) &&
         instance.writeBinary("FilterData", QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
}

bool removeKey(const QString& path) {
  return Key::remove(Root::LocalMachine, path) || !Key::exists(Root::LocalMachine, path);
}

}  // namespace

HRESULT registerServer() {
  const std::string path = modulePath();
  if (path.empty()) return E_FAIL;
  int count = 0;
  const FactoryTemplate* templates = factoryTemplates(&count);
  for (int i = 0; i < count; ++i)
    if (!writeClass(templates[i], qs(path))) return SELFREG_E_CLASS;
  for (int i = 0; i < count; ++i)
    if (templates[i].setup && !writeFilter(*templates[i].setup)) return E_FAIL;
  return S_OK;
}

HRESULT unregisterServer() {
  bool ok = true;
  int count = 0;
  const FactoryTemplate* templates = factoryTemplates(&count);
  for (int i = 0; i < count; ++i) {
    if (templates[i].setup) ok = removeKey(instancePath(templates[i].clsid)) && ok;
    ok = removeKey(qs(classKeyPath(templates[i].clsid))) && ok;
  }
  return ok ? S_OK : E_FAIL;
}

}  // namespace lumi::caption::module
