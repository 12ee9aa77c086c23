#include "manager/core/PortFailure.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "manager/core/ManagerStrings.h"

namespace lumi::manager {

PortFailure classifyOpenFailure(const OpenFacts& facts) {
  if (!facts.exists || !facts.characterDevice || facts.noHardware) return PortFailure::NoDevice;
  if (facts.accessDenied) return PortFailure::NoPermission;
  // It is there and the user may use it: someone else has it.
  return PortFailure::Busy;
}

OpenFacts openFacts(const QString& device, bool noHardware) {
  OpenFacts facts;
  const QByteArray path = QFile::encodeName(device);
  struct stat st {};
  facts.exists = !device.isEmpty() && ::stat(path.constData(), &st) == 0;
  facts.characterDevice = facts.exists && S_ISCHR(st.st_mode);
  facts.accessDenied = facts.exists && ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
  facts.noHardware = noHardware;
  return facts;
}

int portFailureText(PortFailure failure) {
  switch (failure) {
    case PortFailure::Busy: return textid::kPortInUse;
    case PortFailure::NoPermission: return textid::kPortNoPermission;
    case PortFailure::NoDevice: return textid::kPortMissing;
    case PortFailure::Lost: return textid::kReceiverUnplugged;
  }
  return textid::kPortInUse;
}

bool deviceMissing(const QString& device) {
  struct stat st {};
  return !device.isEmpty() && ::stat(QFile::encodeName(device).constData(), &st) != 0;
}

}  // namespace lumi::manager
