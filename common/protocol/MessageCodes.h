#pragma once
// Message codes of the server exchanges (update, codec, usage report), the
// port every suite server listens on, and a table that names each code for
// logs and diagnostics.
//
// Several codes mean one thing from the server and another from the client
// (2041, 2042, 2043, 2051); they get one constant per meaning with the same
// value, so that code reads naturally on both sides.
#include <QByteArray>
#include <QtGlobal>

#include <span>
#include <string_view>

namespace lumi::protocol {

// Every server of the suite, on every host.
inline constexpr quint16 kServerPort = 32542;

namespace code {
// Update exchange, server to updater.
inline constexpr qint32 NoUpdate = 2032;         // payload ignored
inline constexpr qint32 ServerVersion = 2033;    // counted string version, counted string (ignored)
inline constexpr qint32 ServerEnds = 2034;       // up to 352 bytes, read and ignored
// File transfer, server to client (updater and player).
inline constexpr qint32 FileHeader = 2037;        // counted string name, int32 size
inline constexpr qint32 FolderFileHeader = 2038;  // counted string name, int32 size; inside the download folder
inline constexpr qint32 CreateFolder = 2039;      // counted string name
inline constexpr qint32 CannotOpenFile = 2040;    // no payload
inline constexpr qint32 StepFinished = 2041;      // no payload
inline constexpr qint32 FirstChunk = 2042;        // data chunk
inline constexpr qint32 NextChunk = 2043;         // data chunk
inline constexpr qint32 LastChunk = 2044;         // data chunk
inline constexpr qint32 TransferStart = 2047;     // int32, int32, int32 total size, rest ignored
inline constexpr qint32 AllFilesSent = 2048;      // no payload
inline constexpr qint32 ServerCloses = 2050;      // no payload
inline constexpr qint32 TransferFinished = 2051;  // updater: none; player: 100-byte text field (package file)
// File transfer, client to server.
inline constexpr qint32 FileReceived = 2041;      // also "client closes the connection"
inline constexpr qint32 ReadyForData = 2042;
inline constexpr qint32 SendNextChunk = 2043;
inline constexpr qint32 AcceptUpdate = 2045;      // updater only
inline constexpr qint32 Continue = 2049;
inline constexpr qint32 TransferAcknowledged = 2051;  // also "abort after a local file error"
// Codec exchange, player and codec server.
inline constexpr qint32 CodecRequest = 2060;      // player to server, 314 bytes
inline constexpr qint32 UserMessage = 2061;       // server to player, zero-terminated text
inline constexpr qint32 CodecFileData = 2063;     // server to player, raw bytes
inline constexpr qint32 FinalUserMessage = 2064;  // server to player, 100-byte text field; the player closes
inline constexpr qint32 CodecQuery = 2070;        // player to server, 108 bytes
inline constexpr qint32 CodecList = 2071;         // server to player
inline constexpr qint32 CodecFileRequest = 2073;  // player to server, 260-byte path field
// Update exchange, updater to server and back.
inline constexpr qint32 InstalledFile = 2066;     // counted string file name, counted string version
inline constexpr qint32 EndOfFileList = 2067;     // no payload
inline constexpr qint32 NewVersion = 2068;        // server to updater, payload ignored
// Usage report, shell to statistics server.
inline constexpr qint32 UsageReport = 2074;       // int32 usage kind
}  // namespace code

struct MessageCodeInfo {
  qint32 code;
  // Name of the message as the server sends it, and as a client sends it;
  // empty when that side never sends the code.
  std::string_view fromServer;
  std::string_view fromClient;
};

// Every code of the suite, ascending.
std::span<const MessageCodeInfo> messageCodes();
// The entry for a code, or nullptr for a code the suite does not use.
const MessageCodeInfo* findMessageCode(qint32 code);
// "FirstChunk/ReadyForData", "UsageReport", or "unknown 1234": for logs.
QByteArray messageCodeName(qint32 code);

}  // namespace lumi::protocol
