#pragma once
// The programs' handle on the resource library "Resources.dll", the module
// beside the program files that holds the built-in design's bitmaps.
//
//   ResourceLibrary resources;
//   if (!resources.loadFromProgramFolder()) { ...message 3312, quit... }
//   QImage background = resources.bitmap(kScreenBackground);
//
// A missing id or a damaged picture gives a null image and a warning; nothing
// here throws or aborts, whatever the file holds.
#include <QList>
#include <QString>

#include "common/resources/BitmapSource.h"
#include "common/resources/ResourceModuleApi.h"

namespace lumi::resources {

inline constexpr char kResourceLibraryFileName[] = "Resources.dll";

class ResourceLibrary : public BitmapSource {
 public:
  ResourceLibrary() = default;
  ~ResourceLibrary() override;
  ResourceLibrary(const ResourceLibrary&) = delete;
  ResourceLibrary& operator=(const ResourceLibrary&) = delete;

  // Loads "Resources.dll" from a folder; a module loaded before is released
  // first. False (with errorString()) when the file is missing, cannot be
  // loaded or does not export the resource interface.
  bool load(const QString& folder);
  // The same for a module at any path.
  bool loadFile(const QString& path);
  // The folder of the running program, where the suite installs the module.
  bool loadFromProgramFolder();
  void unload();

  bool ok() const { return handle_ != nullptr; }
  QString fileName() const { return fileName_; }
  QString errorString() const { return error_; }

  QImage bitmap(int id) const override;
  bool contains(int id) const;
  QList<int> ids() const;

 private:
  bool fail(const QString& message);

  void* handle_ = nullptr;
  LumiResourceBitmapFn bitmapFn_ = nullptr;
  LumiResourceBitmapIdsFn idsFn_ = nullptr;
  QString fileName_;
  QString error_;
};

}  // namespace lumi::resources
