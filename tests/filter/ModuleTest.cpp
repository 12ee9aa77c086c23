// "CaptionBlend.ax" as an in-process server: registration through the
// registry layer, class objects, creating the filter by class id through the
// registry, and unregistering while the filter keeps working.
#include <gst/app/gstappsink.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <dlfcn.h>

#include "filter/com/FilterData.h"
#include "filter/com/ICaptionBlend.h"
#include "filter/com/InprocServer.h"
#include "platform/registry/Registry.h"
#include "tests/filter/FilterModule.h"
#include "tests/support/HiveRewrites.h"
#include "tests/support/TestPaths.h"

using namespace lumi::com;
using namespace lumi::caption::test;
using lumi::registry::Key;
using lumi::registry::Root;

namespace {

const std::string kFilterKey = "Software\\Classes\\CLSID\\{4327E616-CBF2-4FB3-A2A9-C792EA63B647}";
const std::string kPageKey = "Software\\Classes\\CLSID\\{DC3288AC-F39E-4708-AAF9-A43057A100F2}";
const std::string kInstanceKey =
    "Software\\Classes\\CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\{4327E616-CBF2-4FB3-A2A9-C792EA63B647}";

QString q(const std::string& s) { return QString::fromStdString(s); }

QString readString(const std::string& key, const QString& name) {
  QString value = "<missing>";
  Key::open(Root::LocalMachine, q(key)).readString(name, value);
  return value;
}

quint32 readDWord(const std::string& key, const QString& name) {
  quint32 value = 0xDEADBEEF;
  Key::open(Root::LocalMachine, q(key)).readDWord(name, value);
  return value;
}

template <typename Fn>
Fn entry(const char* name) {
  void* module = dlopen(modulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
  return module ? reinterpret_cast<Fn>(dlsym(module, name)) : nullptr;
}

}  // namespace

TEST(Module, RegistersAndUnregistersThroughTheRegistry) {
  lumi::test::PrivateEnvironment env;
  const std::string path = modulePath();
  lumi::test::HiveRewrites rewrites(Root::LocalMachine);
  ASSERT_TRUE(rewrites.ok());
  ASSERT_EQ(callRegistrationEntry(path, "DllRegisterServer"), S_OK);
  // Hosts register on every movie start: the whole registration is one write.
  EXPECT_EQ(rewrites.take(), 1);

  // Class keys: name, the module's path, threading model.
  EXPECT_EQ(readString(kFilterKey, ""), "Caption Blend");
  EXPECT_EQ(readString(kFilterKey + "\\InprocServer32", ""), q(path));
  EXPECT_EQ(readString(kFilterKey + "\\InprocServer32", "ThreadingModel"), "Both");
  EXPECT_EQ(readString(kPageKey, ""), "Caption Blend Property Page");
  EXPECT_EQ(readString(kPageKey + "\\InprocServer32", ""), q(path));
  EXPECT_EQ(readString(kPageKey + "\\InprocServer32", "ThreadingModel"), "Both");
  EXPECT_EQ(inprocServerPath(CLSID_CaptionBlend), path);

  // The filter registration: merit and the two pins with their media type.
  EXPECT_EQ(readDWord(kFilterKey, "Merit"), 0x00200000u);
  struct Pin {
    const char* name;
    quint32 direction;
    const char* connectsToPin;
  };
  for (const Pin& pin : {Pin{"Input", 0, "Output"}, Pin{"Output", 1, "Input"}}) {
    const std::string key = kFilterKey + "\\Pins\\" + pin.name;
    EXPECT_EQ(readDWord(key, "Direction"), pin.direction) << pin.name;
    for (const char* flag : {"IsRendered", "AllowedZero", "AllowedMany"}) EXPECT_EQ(readDWord(key, flag), 0u) << flag;
    EXPECT_EQ(readString(key, "ConnectsToFilter"), "{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(readString(key, "ConnectsToPin"), pin.connectsToPin);
    EXPECT_TRUE(Key::exists(Root::LocalMachine, q(key + "\\Types\\{73646976-0000-0010-8000-00AA00389B71}\\"
                                                        "{00000000-0000-0000-0000-000000000000}")));
  }
  EXPECT_EQ(readString(kInstanceKey, "FriendlyName"), "Caption Blend");
  EXPECT_EQ(readString(kInstanceKey, "CLSID"), "{4327E616-CBF2-4FB3-A2A9-C792EA63B647}");
  QByteArray blob;
  ASSERT_TRUE(Key::open(Root::LocalMachine, q(kInstanceKey)).readBinary("FilterData", blob));
  DecodedFilterData data;
  ASSERT_TRUE(decodeFilterData(std::vector<std::uint8_t>(blob.begin(), blob.end()), data));
  EXPECT_EQ(data.merit, MERIT_DO_NOT_USE);
  ASSERT_EQ(data.pins.size(), 2u);
  EXPECT_FALSE(data.pins[0].output);
  EXPECT_TRUE(data.pins[1].output);
  for (const auto& pin : data.pins) {
    EXPECT_FALSE(pin.rendered || pin.zero || pin.many);
    ASSERT_EQ(pin.types.size(), 1u);
    EXPECT_EQ(pin.types[0], (RegPinType{MEDIATYPE_Video, GUID_NULL}));
  }

  // Registering again changes nothing; unregistering removes it all, twice over.
  EXPECT_EQ(callRegistrationEntry(path, "DllRegisterServer"), S_OK);
  EXPECT_EQ(Key::open(Root::LocalMachine, q(kFilterKey + "\\Pins")).subKeyNames(), (QStringList{"Input", "Output"}));
  rewrites.take();
  EXPECT_EQ(callRegistrationEntry(path, "DllUnregisterServer"), S_OK);
  EXPECT_EQ(rewrites.take(), 1);
  for (const std::string& key : {kFilterKey, kPageKey, kInstanceKey})
    EXPECT_FALSE(Key::exists(Root::LocalMachine, q(key))) << key;
  EXPECT_TRUE(inprocServerPath(CLSID_CaptionBlend).empty());
  EXPECT_EQ(callRegistrationEntry(path, "DllUnregisterServer"), S_OK);
  EXPECT_EQ(rewrites.take(), 0);  // nothing left to remove: the file is left alone
  void* object = nullptr;
  EXPECT_EQ(createInstance(CLSID_CaptionBlend, IID_IBaseFilter, &object), REGDB_E_CLASSNOTREG);
}

// The build also offers the module under a name GStreamer's own plugin scan
// picks up, so the ordinary tools see the element.
TEST(Module, GStreamerToolsFindTheElementOnThePluginPath) {
  lumi::test::PrivateEnvironment env;
  QProcess inspect;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  e.insert("GST_PLUGIN_PATH", LUMI_FILTER_PROGRAM_DIR);
  e.insert("GST_REGISTRY", env.file("gst-registry.bin"));
  inspect.setProcessEnvironment(e);
  inspect.start("gst-inspect-1.0", {"captionblend"});
  ASSERT_TRUE(inspect.waitForFinished(60000));
  const QString out = QString::fromUtf8(inspect.readAllStandardOutput());
  EXPECT_EQ(inspect.exitCode(), 0) << inspect.readAllStandardError().toStdString();
  EXPECT_TRUE(out.contains("CaptionBlend")) << out.toStdString();
  EXPECT_TRUE(out.contains("libgstCaptionBlend.so")) << out.toStdString();
}

TEST(Module, AFailedRegistrationReportsItsError) {
  lumi::test::PrivateEnvironment env;
  // A hive folder that cannot exist: below a plain file.
  const QString blocker = env.file("not-a-folder");
  QFile(blocker).open(QIODevice::WriteOnly);
  qputenv("LUMICASTER_REGISTRY_DIR", (blocker + "/registry").toUtf8());
  EXPECT_TRUE(failed(callRegistrationEntry(modulePath(), "DllRegisterServer")));
}

TEST(Module, ClassObjects) {
  auto getClassObject = entry<DllGetClassObjectFn>("DllGetClassObject");
  ASSERT_NE(getClassObject, nullptr);
  const CLSID unknownClass = guid("{12345678-1234-1234-1234-123456789ABC}");
  struct Case {
    CLSID clsid;
    IID iid;
    HRESULT expected;
  };
  const Case cases[] = {
      {CLSID_CaptionBlend, IID_IClassFactory, S_OK},
      {CLSID_CaptionBlend, IID_IUnknown, S_OK},
      {CLSID_CaptionBlendPropertyPage, IID_IClassFactory, S_OK},
      {CLSID_CaptionBlend, IID_ICaptionBlend, E_NOINTERFACE},
      {unknownClass, IID_ICaptionBlend, E_NOINTERFACE},
      {unknownClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const Case& c : cases) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(c.clsid, c.iid, &object), c.expected) << guidToString(c.clsid);
    if (c.expected == S_OK) static_cast<IUnknown*>(object)->Release();
    else EXPECT_EQ(object, nullptr);
  }

  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(CLSID_CaptionBlend, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  void* object = nullptr;
  IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, &object), E_NOINTERFACE);

  ICaptionBlend* blend = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICaptionBlend, reinterpret_cast<void**>(&blend)), S_OK);
  IUnknown *a = nullptr, *b = nullptr;
  IBaseFilter* filter = nullptr;
  ASSERT_EQ(blend->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
  ASSERT_EQ(blend->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
  ASSERT_EQ(filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
  EXPECT_EQ(a, b);  // one object identity
  // The page list exists but is not handed out.
  EXPECT_EQ(blend->QueryInterface(IID_ISpecifyPropertyPages, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(blend->Redraw(), S_OK);
  a->Release();
  b->Release();
  filter->Release();
  blend->Release();

  // The property page: only OK and Cancel.
  IClassFactory* pages = nullptr;
  ASSERT_EQ(getClassObject(CLSID_CaptionBlendPropertyPage, IID_IClassFactory, reinterpret_cast<void**>(&pages)), S_OK);
  IPropertyPage* page = nullptr;
  ASSERT_EQ(pages->CreateInstance(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(&page)), S_OK);
  PROPPAGEINFO info;
  ASSERT_EQ(page->GetPageInfo(&info), S_OK);
  EXPECT_STREQ(info.title, "Caption Blend Properties");
  EXPECT_GT(info.width, 0);
  const PageTemplate* dialog = nullptr;
  ASSERT_EQ(page->GetPageTemplate(&dialog), S_OK);
  EXPECT_EQ(dialog->resourceId, 3000);
  EXPECT_EQ(dialog->width, 187);
  EXPECT_EQ(dialog->height, 101);
  ASSERT_EQ(dialog->controlCount, 2);
  EXPECT_EQ(dialog->controls[0].id, 1);
  EXPECT_STREQ(dialog->controls[0].text, "OK");
  EXPECT_EQ(dialog->controls[1].id, 2);
  EXPECT_STREQ(dialog->controls[1].text, "Cancel");
  EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
  EXPECT_EQ(page->Activate(nullptr, false), S_OK);
  EXPECT_EQ(page->IsPageDirty(), S_FALSE);
  EXPECT_EQ(page->Apply(), S_OK);
  EXPECT_EQ(page->Deactivate(), S_OK);
  page->Release();
  pages->Release();
  factory->Release();
}

TEST(Module, CanUnloadOnlyWhenNothingIsInUse) {
  auto canUnload = entry<DllCanUnloadNowFn>("DllCanUnloadNow");
  auto getClassObject = entry<DllGetClassObjectFn>("DllGetClassObject");
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_OK);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(CLSID_CaptionBlend, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(canUnload(), S_FALSE);  // the class object itself
  ICaptionBlend* blend = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICaptionBlend, reinterpret_cast<void**>(&blend)), S_OK);
  factory->LockServer(true);
  factory->Release();
  EXPECT_EQ(canUnload(), S_FALSE);  // a lock and a filter
  factory = nullptr;
  blend->Release();
  EXPECT_EQ(canUnload(), S_FALSE);  // the lock
  ASSERT_EQ(getClassObject(CLSID_CaptionBlend, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  factory->LockServer(false);
  factory->Release();
  EXPECT_EQ(canUnload(), S_OK);
}

// What the player does: load the module from its folder, register it, create
// the filter by class id through the registry, build the graph, unregister,
// and keep playing.
TEST(Module, CreatedThroughTheRegistryAndWorksAfterUnregistering) {
  lumi::test::PrivateEnvironment env;
  loadPlugin();
  ASSERT_EQ(callRegistrationEntry(modulePath(), "DllRegisterServer"), S_OK);
  IBaseFilter* filter = nullptr;
  ASSERT_EQ(createInstance(CLSID_CaptionBlend, IID_IBaseFilter, reinterpret_cast<void**>(&filter)), S_OK);
  ICaptionBlend* blend = nullptr;
  ASSERT_EQ(filter->QueryInterface(IID_ICaptionBlend, reinterpret_cast<void**>(&blend)), S_OK);
  GstElement* element = nullptr;
  ASSERT_EQ(filter->GetElement(&element), S_OK);

  GstElement* pipeline = gst_pipeline_new("graph");
  GstElement* source = gst_parse_bin_from_description(
      "videotestsrc is-live=false pattern=black num-buffers=40 ! video/x-raw,format=YUY2,width=160,height=120", TRUE,
      nullptr);
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  g_object_set(sink, "sync", FALSE, "max-buffers", 100u, nullptr);
  gst_bin_add_many(GST_BIN(pipeline), source, element, sink, nullptr);
  ASSERT_TRUE(gst_element_link_many(source, element, sink, nullptr));
  ASSERT_NE(gst_element_set_state(pipeline, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);

  auto pull = [&] {
    GstSample* s = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND);
    if (!s) return false;
    gst_sample_unref(s);
    return true;
  };
  ASSERT_TRUE(pull());
  EXPECT_EQ(callRegistrationEntry(modulePath(), "DllUnregisterServer"), S_OK);
  EXPECT_FALSE(Key::exists(Root::LocalMachine, q(kFilterKey)));
  // The player lets go of its references; the graph holds the filter.
  filter->Release();
  EXPECT_EQ(blend->SetText("Still here"), S_OK);
  blend->Release();
  int more = 0;
  while (pull()) ++more;
  EXPECT_EQ(more, 39);
  EXPECT_TRUE(gst_app_sink_is_eos(GST_APP_SINK(sink)));
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
}
