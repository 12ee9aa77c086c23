#pragma once
// Short movies made at test time with real GStreamer encoders and muxers,
// once per test program, in a folder of their own.
#include <QString>

namespace lumi::test {

struct PlayerMedia {
  QString folder;
  QString mjpegAvi;   // 320x240 red MJPEG + PCM, 3 s
  QString longAvi;    // 160x120 red MJPEG + PCM, 12 s
  QString mpeg4Avi;   // 320x240 MPEG-4 (FMP4) + MP3, 3 s
  QString mpeg1;      // MPEG-1 program stream, 352x288 + MP2, 2 s
  QString mpeg2AsMpg; // MPEG-2 program stream saved as ".mpg"
  QString wmv;        // ASF with WMV2 + WMA2
  QString mp3;        // sound only
  QString wav;        // sound only
  QString unknownVideoAvi;  // the MJPEG AVI with its video FourCC made unknown
  QString unknownAudioAvi;  // the MJPEG AVI with its audio format tag made unknown
  QString notAMovie;        // text
  QString vcdRoot;          // MPEGAV/AVSEQ01.DAT, AVSEQ02.DAT, avseq03.dat (+ a text file and a folder)
  QString error;            // empty when everything was made
};

// Makes (once) and returns the media; `error` says what failed.
const PlayerMedia& playerMedia();

// Runs "gst-launch-1.0 -e <pipeline>"; empty on success, else its output.
QString runPipeline(const QString& pipeline);

}  // namespace lumi::test
