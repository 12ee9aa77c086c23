#pragma once
// When the progress window rewrites its "%s / %s" size texts. The first and
// the last chunk of a file always refresh them; of the 2043 chunks, one
// counter for the whole run (not reset per file) lets through the 1st, 31st,
// 61st ... The bars move on every chunk.
#include <QtGlobal>

namespace lumi::updater {

class ChunkTextGate {
 public:
  static constexpr int kEvery = 30;
  // True when the texts are to be refreshed for this chunk message.
  bool refresh(qint32 code);

 private:
  int counter_ = 0;
};

}  // namespace lumi::updater
