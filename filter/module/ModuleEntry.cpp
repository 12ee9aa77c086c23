// The exports of "CaptionBlend.ax": the four in-process server entry points
// and the GStreamer plugin description.
#include <gst/gst.h>

#include <new>

#include "filter/element/CaptionBlendElement.h"
#include "filter/module/ClassFactory.h"
#include "filter/module/ModuleState.h"
#include "filter/module/Registration.h"

#define LUMI_EXPORT extern "C" __attribute__((visibility("default")))

// The plugin description names the package it comes from.
#define PACKAGE "lumicaster"

using namespace lumi::com;
using namespace lumi::caption::module;

LUMI_EXPORT HRESULT DllRegisterServer() { return registerServer(); }

LUMI_EXPORT HRESULT DllUnregisterServer() { return unregisterServer(); }

LUMI_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!(iid == IID_IClassFactory || iid == IID_IUnknown)) return E_NOINTERFACE;
  const FactoryTemplate* t = findTemplate(clsid);
  if (!t) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ClassFactory(*t);
  if (!factory) return E_OUTOFMEMORY;
  *object = static_cast<IClassFactory*>(factory);
  return S_OK;
}

LUMI_EXPORT HRESULT DllCanUnloadNow() { return inUse() ? S_FALSE : S_OK; }

static gboolean pluginInit(GstPlugin* plugin) {
  return gst_element_register(plugin, "captionblend", GST_RANK_NONE, LUMI_TYPE_CAPTION_BLEND);
}

// GStreamer finds a plugin file's description by the file's name, so the
// plugin is named after "CaptionBlend.ax".
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, CaptionBlend,
                  "Caption Blend: captions and the on-screen menu drawn into the picture", pluginInit, "0.1.0",
                  "Proprietary", "Lumicaster", "Lumicaster")
