#pragma once
// The suite's reader of SAMI caption files (".smi"): the language streams
// that the STYLE block's classes declare, and each stream's timed entries.
//
//   <STYLE> .KRCC {Name: Korean; lang: ko-KR;} .ENCC {Name: English;} </STYLE>
//   <SYNC Start=1000><P Class=KRCC>안녕<br>하세요<P Class=ENCC>Hello
//   <SYNC Start=2500><P Class=KRCC>&nbsp;
//
// An entry's text is the paragraph as written (tags and "&nbsp;" included);
// the caption bar cleans it when it shows it.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "player/captions/SamiText.h"

namespace lumi::player {

struct SamiEntry {
  std::int64_t startMs = 0;
  QString text;

  friend bool operator==(const SamiEntry&, const SamiEntry&) = default;
};

struct SamiStream {
  QString className;  // as the STYLE block spells it, without the dot
  QString name;       // its "Name:" property, else the class name
  QString lang;       // its "lang:" property, may be empty
  std::vector<SamiEntry> entries;  // by start time; equal starts in file order
};

struct SamiDocument {
  // In the STYLE block's order. A file without classes has one stream that
  // takes every paragraph; a paragraph without a class belongs to stream 0.
  std::vector<SamiStream> streams;
  int syncCount = 0;  // SYNC marks with a readable start time
};

// Parses decoded text. Never fails: what cannot be read is skipped.
SamiDocument parseSami(const QString& text);

// The stream captions are shown from: stream 0, then every stream whose name
// contains "Korean", the last one winning. -1 when there is no stream.
int chooseCaptionStream(const SamiDocument& document);

// The diagnostic lines the choice is logged with: "Stream count: N", then
// "Stream i: name [ENABLED]" or "[DISABLED]" for each stream.
QStringList captionStreamReport(const SamiDocument& document, int chosen);

// A caption file read from disk.
struct SamiFile {
  bool ok = false;
  // When refused: the player's message "Bad caption file." and its second
  // line "Unable to display subtitle."; the movie plays without captions.
  int messageId = 0;
  int detailId = 0;
  QString reason;  // for diagnostics
  SamiEncoding encoding = SamiEncoding::Utf8;
  SamiDocument document;
};

constexpr int kBadCaptionFileMessage = 299;
constexpr int kCaptionUnavailableMessage = 300;
// Larger files are refused unread: real caption files stay far below it.
constexpr qint64 kMaxSamiFileBytes = 16 * 1024 * 1024;
// An entry longer than this is cut there, so that a hostile file cannot make
// every frame lay out megabytes of text. Real captions are a few lines.
constexpr qsizetype kMaxSamiEntryChars = 32 * 1024;
// Entries of all streams together; marks beyond are not read. A two-hour
// movie has a few thousand captions; a file of nothing but tiny marks would
// otherwise cost a hundred bytes of memory for every seventeen of file.
constexpr int kMaxSamiEntries = 100000;

// Reads and parses a caption file. Refused (299/300) when it cannot be read,
// is larger than kMaxSamiFileBytes, or holds no SYNC mark with a start time.
SamiFile loadSamiFile(const QString& path);
// The same for bytes already in memory (kMaxSamiFileBytes applies).
SamiFile readSami(QByteArrayView bytes);

}  // namespace lumi::player
