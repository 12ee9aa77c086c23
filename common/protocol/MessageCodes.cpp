#include "common/protocol/MessageCodes.h"

#include <QByteArray>

#include <algorithm>

namespace lumi::protocol {

namespace {
// Ascending: findMessageCode() bisects.
constexpr MessageCodeInfo kCodes[] = {
    {code::NoUpdate, "NoUpdate", ""},
    {code::ServerVersion, "ServerVersion", ""},
    {code::ServerEnds, "ServerEnds", ""},
    {code::FileHeader, "FileHeader", ""},
    {code::FolderFileHeader, "FolderFileHeader", ""},
    {code::CreateFolder, "CreateFolder", ""},
    {code::CannotOpenFile, "CannotOpenFile", ""},
    {code::StepFinished, "StepFinished", "FileReceived"},
    {code::FirstChunk, "FirstChunk", "ReadyForData"},
    {code::NextChunk, "NextChunk", "SendNextChunk"},
    {code::LastChunk, "LastChunk", ""},
    {code::AcceptUpdate, "", "AcceptUpdate"},
    {code::TransferStart, "TransferStart", ""},
    {code::AllFilesSent, "AllFilesSent", ""},
    {code::Continue, "", "Continue"},
    {code::ServerCloses, "ServerCloses", ""},
    {code::TransferFinished, "TransferFinished", "TransferAcknowledged"},
    {code::CodecRequest, "", "CodecRequest"},
    {code::UserMessage, "UserMessage", ""},
    {code::CodecFileData, "CodecFileData", ""},
    {code::FinalUserMessage, "FinalUserMessage", ""},
    {code::InstalledFile, "", "InstalledFile"},
    {code::EndOfFileList, "", "EndOfFileList"},
    {code::NewVersion, "NewVersion", ""},
    {code::CodecQuery, "", "CodecQuery"},
    {code::CodecList, "CodecList", ""},
    {code::CodecFileRequest, "", "CodecFileRequest"},
    {code::UsageReport, "", "UsageReport"},
};

constexpr std::span<const MessageCodeInfo> table{kCodes};

static_assert(std::is_sorted(table.begin(), table.end(),
                             [](const MessageCodeInfo& a, const MessageCodeInfo& b) { return a.code < b.code; }));
}  // namespace

std::span<const MessageCodeInfo> messageCodes() { return table; }

const MessageCodeInfo* findMessageCode(qint32 value) {
  auto it = std::lower_bound(table.begin(), table.end(), value,
                             [](const MessageCodeInfo& info, qint32 c) { return info.code < c; });
  return it != table.end() && it->code == value ? &*it : nullptr;
}

QByteArray messageCodeName(qint32 value) {
  const MessageCodeInfo* info = findMessageCode(value);
  if (!info) return "unknown " + QByteArray::number(value);
  QByteArray name(info->fromServer.data(), qsizetype(info->fromServer.size()));
  if (!info->fromClient.empty()) {
    if (!name.isEmpty()) name += '/';
    name += QByteArray(info->fromClient.data(), qsizetype(info->fromClient.size()));
  }
  return name;
}

}  // namespace lumi::protocol
