#include "common/resources/ResourceLibrary.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace lumi::resources {

namespace {
// Larger than any picture for an 800 x 600 screen by far; a bigger answer can
// only come from a damaged or foreign module.
constexpr size_t kMaxBitmapBytes = 64u << 20;
constexpr size_t kMaxIds = 100000;
}  // namespace

ResourceLibrary::~ResourceLibrary() { unload(); }

bool ResourceLibrary::load(const QString& folder) {
  return loadFile(QDir(folder.isEmpty() ? QStringLiteral(".") : folder).filePath(QLatin1String(kResourceLibraryFileName)));
}

bool ResourceLibrary::loadFromProgramFolder() {
  // Before the application object exists Qt cannot name its folder; the
  // kernel can.
  const QString folder = QCoreApplication::instance()
                             ? QCoreApplication::applicationDirPath()
                             : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
  return load(folder);
}

bool ResourceLibrary::fail(const QString& message) {
  error_ = message;
  qWarning("resources: %s", qPrintable(message));
  return false;
}

bool ResourceLibrary::loadFile(const QString& path) {
  unload();
  fileName_ = path;
  error_.clear();
  if (!QFileInfo(path).isFile()) return fail(QStringLiteral("%1 does not exist").arg(path));

  dlerror();
  void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    return fail(QStringLiteral("%1 cannot be loaded: %2").arg(path, QString::fromLocal8Bit(why ? why : "unknown error")));
  }
  const auto version = reinterpret_cast<LumiResourceApiVersionFn>(dlsym(handle, "LumiResourceApiVersion"));
  const auto bitmap = reinterpret_cast<LumiResourceBitmapFn>(dlsym(handle, "LumiResourceBitmap"));
  const auto ids = reinterpret_cast<LumiResourceBitmapIdsFn>(dlsym(handle, "LumiResourceBitmapIds"));
  if (!version || !bitmap || !ids) {
    dlclose(handle);
    return fail(QStringLiteral("%1 is not a resource library (it lacks the bitmap interface)").arg(path));
  }
  const int found = version();
  if (found != LUMI_RESOURCE_API_VERSION) {
    dlclose(handle);
    return fail(QStringLiteral("%1 has resource interface version %2, this program needs %3")
                    .arg(path)
                    .arg(found)
                    .arg(LUMI_RESOURCE_API_VERSION));
  }
  handle_ = handle;
  bitmapFn_ = bitmap;
  idsFn_ = ids;
  return true;
}

void ResourceLibrary::unload() {
  // Images handed out before stay valid: QImage decodes into its own memory.
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  bitmapFn_ = nullptr;
  idsFn_ = nullptr;
}

bool ResourceLibrary::contains(int id) const {
  size_t size = 0;
  return ok() && bitmapFn_(id, &size) && size > 0;
}

QImage ResourceLibrary::bitmap(int id) const {
  if (!ok()) {
    qWarning("resources: bitmap %d asked for, but no resource library is loaded", id);
    return {};
  }
  size_t size = 0;
  const unsigned char* data = bitmapFn_(id, &size);
  if (!data || size == 0) {
    qWarning("resources: %s has no bitmap %d", qPrintable(fileName_), id);
    return {};
  }
  if (size > kMaxBitmapBytes) {
    qWarning("resources: bitmap %d of %s claims %zu bytes; ignored", id, qPrintable(fileName_), size);
    return {};
  }
  QImage image = QImage::fromData(QByteArrayView(data, static_cast<qsizetype>(size)), "PNG");
  if (image.isNull()) qWarning("resources: bitmap %d of %s is not a readable PNG picture", id, qPrintable(fileName_));
  return image;
}

QList<int> ResourceLibrary::ids() const {
  QList<int> list;
  if (!ok()) return list;
  size_t count = 0;
  const int* ids = idsFn_(&count);
  if (!ids || count > kMaxIds) return list;
  list.reserve(static_cast<qsizetype>(count));
  for (size_t i = 0; i < count; ++i) list.append(ids[i]);
  return list;
}

}  // namespace lumi::resources
