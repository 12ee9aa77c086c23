#pragma once
// A program's automation class in the registry: the ProgID, the class id and
// the program that serves it, as a local server registers itself. Refreshed
// at every normal start; HKEY_CLASSES_ROOT is HKLM "Software\Classes".
//
//   Software\Classes\<ProgID>\CLSID                 = <class id>
//   Software\Classes\CLSID\<class id>               = <ProgID>
//   Software\Classes\CLSID\<class id>\ProgID        = <ProgID>
//   Software\Classes\CLSID\<class id>\LocalServer32 = <program file>
#include <QString>
#include <QStringList>

namespace lumi::suite {

struct AutomationClass {
  QString progId;     // "Keywarden.Application"
  QString classId;    // "{51EB4732-E3FE-42A4-8707-F0D58762C45A}"
  QString interfaceId;  // the dispatch interface, "{7C305F12-...}"; none when empty
};

// True when every entry was written.
bool RegisterAutomationClass(const AutomationClass& cls, const QString& programFile);

// "Embedding" or "Automation" among the arguments: started by an automation
// client. Start-up goes on as usual either way.
bool StartedForAutomation(const QStringList& arguments);

}  // namespace lumi::suite
