#pragma once
// Results of building a movie's playback pipeline, as the numbers the player's
// reactions are written against, and the reaction to each.
#include <QString>
#include <cstdint>

#include "filter/com/HResult.h"

namespace lumi::player {

using lumi::com::HRESULT;

inline constexpr HRESULT VFW_S_DUPLICATE_NAME = 0x0004022D;
inline constexpr HRESULT VFW_S_PARTIAL_RENDER = 0x00040242;
inline constexpr HRESULT VFW_S_MEDIA_TYPE_IGNORED = 0x00040254;
inline constexpr HRESULT VFW_S_VIDEO_NOT_RENDERED = 0x00040257;
inline constexpr HRESULT VFW_S_AUDIO_NOT_RENDERED = 0x00040258;
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);
inline constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = static_cast<HRESULT>(0x80040207);
inline constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216);
inline constexpr HRESULT VFW_E_CANNOT_CONNECT = static_cast<HRESULT>(0x80040217);
inline constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218);
inline constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = static_cast<HRESULT>(0x8004022F);
inline constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = static_cast<HRESULT>(0x80040240);
inline constexpr HRESULT VFW_E_CANNOT_LOAD_SOURCE_FILTER = static_cast<HRESULT>(0x80040241);
inline constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265);

// The result's own name ("VFW_E_NOT_FOUND"), for the boxes that show it.
QString ResultName(HRESULT result);

// What a render result asks of the player.
struct RenderReaction {
  enum class Kind {
    Continue,        // play
    AskVideoCodec,   // question 286; no: quit
    AskAudioCodec,   // question 291; no: play without sound
    AskBothCodecs,   // question 296 (AVI files); no: quit
    NoSound,         // 287 then 288: play without sound
    NamedBox,        // a box with the result's name; the build fails
    UnknownError,    // "UNKNOWN ERROR."; quit
    Quit,            // the two strings `first`, `second`; quit
  };
  Kind kind = Kind::Continue;
  int first = 0;
  int second = 0;
  QString name;  // NamedBox
  bool operator==(const RenderReaction&) const = default;
};

// `fileType` from the file-type test; `videoConnected` whether the video
// renderer ended up with a picture to show.
RenderReaction ReactionToRender(HRESULT result, bool videoConnected, const QString& fileType, const QString& path);

// The codec names the questions show, by file type (and for AVI files the
// stream's FourCC and audio format tag, when known).
struct CodecNames {
  QString videoTag, audioCode, videoName, audioName;
};
CodecNames CodecNamesFor(const QString& fileType, const QString& fourCC = {}, int audioTag = -1);

}  // namespace lumi::player
