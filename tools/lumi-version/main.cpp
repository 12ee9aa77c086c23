// lumi-version: prints the version note of suite program files, or writes a
// copy of one with another version (test fixtures, server catalogues).
//
//   lumi-version FILE...                      "FILE: a,b,c,d" per file
//   lumi-version --stamp a.b.c.d FILE OUT     OUT = FILE with that version
#include "common/version/VersionNote.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() == 4 && args[0] == QLatin1String("--stamp")) {
    const auto version = lumi::version::FileVersion::parse(args[1]);
    if (!version) {
      std::fprintf(stderr, "lumi-version: not a version: %s\n", qPrintable(args[1]));
      return 2;
    }
    QString error;
    if (!lumi::version::WriteRestampedCopy(args[2], args[3], *version, &error)) {
      std::fprintf(stderr, "lumi-version: %s: %s\n", qPrintable(args[2]), qPrintable(error));
      return 1;
    }
    return 0;
  }
  if (args.isEmpty() || args[0].startsWith(QLatin1String("--"))) {
    std::fprintf(stderr, "usage: lumi-version FILE...\n       lumi-version --stamp a.b.c.d FILE OUT\n");
    return 2;
  }
  for (const QString& file : args)
    std::printf("%s: %s\n", qPrintable(file), qPrintable(lumi::version::FileVersionText(file)));
  return 0;
}
