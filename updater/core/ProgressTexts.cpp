#include "updater/core/ProgressTexts.h"

#include "common/protocol/MessageCodes.h"

namespace lumi::updater {

bool ChunkTextGate::refresh(qint32 code) {
  if (code != protocol::code::NextChunk) return true;
  const bool due = counter_ == 0;
  counter_ = (counter_ + 1) % kEvery;
  return due;
}

}  // namespace lumi::updater
