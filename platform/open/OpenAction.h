#pragma once
// The desktop's "open" action: a web address goes to the user's browser, a
// file to the program the desktop associates with its type. The caller does
// not wait for the program and is not told whether it got anywhere beyond
// the start. Tests use the recording one, so no test starts a browser.
#include <QList>
#include <QString>
#include <QUrl>

namespace lumi::open {

class OpenAction {
 public:
  virtual ~OpenAction() = default;
  // An absolute URL ("http://...", "file:///..."); a relative or invalid one
  // is refused. True when the handler was started.
  virtual bool open(const QUrl& target) = 0;
};

// What a handler program is given for a target: a local path for file URLs
// (so the path is not decoded twice), the encoded URL otherwise; empty for a
// target that must be refused (relative, invalid, or a path that a handler
// could take for one of its options).
inline QString openArgument(const QUrl& target) {
  if (!target.isValid() || target.isRelative()) return {};
  if (target.isLocalFile()) {
    const QString path = target.toLocalFile();
    return path.startsWith(QLatin1Char('/')) ? path : QString();
  }
  return QString::fromLatin1(target.toEncoded());
}

class RecordingOpenAction : public OpenAction {
 public:
  explicit RecordingOpenAction(bool accept = true) : accept_(accept) {}
  bool open(const QUrl& target) override {
    opened_.append(target);
    return accept_ && !openArgument(target).isEmpty();
  }
  const QList<QUrl>& opened() const { return opened_; }

 private:
  bool accept_;
  QList<QUrl> opened_;
};

}  // namespace lumi::open
