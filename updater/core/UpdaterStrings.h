#pragma once
// The updater's string table and the ids it uses.
#include "platform/text/StringTable.h"

namespace lumi::updater {

inline constexpr char kUpdaterStringsFile[] = ":/strings/updater.tsv";

namespace strings {
inline constexpr int SuiteKey = 108;
inline constexpr int RegistryError = 190;
inline constexpr int Headline = 192;
inline constexpr int Checking = 193;
inline constexpr int FileNameLabel = 194;
inline constexpr int FileStateLabel = 195;
inline constexpr int TotalStateLabel = 196;
inline constexpr int FileNameFormat = 197;  // "파일명 : %s"
inline constexpr int Downloading = 198;
inline constexpr int Installing = 199;
inline constexpr int TotalProgress = 200;
inline constexpr int ManagerFile = 201;
inline constexpr int ShellFile = 202;
inline constexpr int Unpacking = 203;
inline constexpr int Stopping = 204;
inline constexpr int WindowTitle = 205;
inline constexpr int NewVersionTitle = 233;
inline constexpr int NewVersionQuestion = 234;
inline constexpr int CannotOpenFile = 1001;
inline constexpr int Disconnecting = 1002;
inline constexpr int InstallDone = 1003;
inline constexpr int InstallFailed = 1004;
}  // namespace strings

text::StringTable loadUpdaterStrings(text::Language language = text::systemLanguage());

}  // namespace lumi::updater
