#include "player/engine/RenderResult.h"

namespace lumi::player {

QString ResultName(HRESULT result) {
  using namespace lumi::com;
  switch (result) {
    case VFW_S_DUPLICATE_NAME: return QStringLiteral("VFW_S_DUPLICATE_NAME");
    case VFW_S_MEDIA_TYPE_IGNORED: return QStringLiteral("VFW_S_MEDIA_TYPE_IGNORED");
    case VFW_E_NOT_FOUND: return QStringLiteral("VFW_E_NOT_FOUND");
    case VFW_E_CANNOT_CONNECT: return QStringLiteral("VFW_E_CANNOT_CONNECT");
    case VFW_E_CANNOT_RENDER: return QStringLiteral("VFW_E_CANNOT_RENDER");
    case VFW_E_INVALID_FILE_FORMAT: return QStringLiteral("VFW_E_INVALID_FILE_FORMAT");
    case VFW_E_UNKNOWN_FILE_TYPE: return QStringLiteral("VFW_E_UNKNOWN_FILE_TYPE");
    case VFW_E_CANNOT_LOAD_SOURCE_FILTER: return QStringLiteral("VFW_E_CANNOT_LOAD_SOURCE_FILTER");
    default: return QStringLiteral("0x%1").arg(quint32(result), 8, 16, QChar(u'0'));
  }
}

RenderReaction ReactionToRender(HRESULT result, bool videoConnected, const QString& fileType, const QString& path) {
  using K = RenderReaction::Kind;
  using namespace lumi::com;
  if (result == S_OK) return {K::Continue};
  if (fileType.isEmpty()) return {K::Quit, 284, 285};
  switch (result) {
    case VFW_S_PARTIAL_RENDER: return videoConnected ? RenderReaction{K::AskAudioCodec} : RenderReaction{K::AskVideoCodec};
    case VFW_S_VIDEO_NOT_RENDERED: return {K::AskVideoCodec};
    case VFW_S_AUDIO_NOT_RENDERED: return {K::NoSound, 287, 288};
    case VFW_S_DUPLICATE_NAME:
    case VFW_S_MEDIA_TYPE_IGNORED:
    case VFW_E_NOT_FOUND:
    case VFW_E_CANNOT_CONNECT:
    case VFW_E_CANNOT_RENDER:
    case VFW_E_INVALID_FILE_FORMAT:
    case VFW_E_UNKNOWN_FILE_TYPE:
    case VFW_E_CANNOT_LOAD_SOURCE_FILTER: return {K::NamedBox, 0, 0, ResultName(result)};
    case E_POINTER:
    case E_ABORT:
    case E_FAIL:
    case E_OUTOFMEMORY:
    case E_INVALIDARG: return {K::UnknownError};
    case VFW_E_UNSUPPORTED_STREAM: return {K::Quit, 293, 294};
    default: break;
  }
  if (path.endsWith(QLatin1String(".AVI"), Qt::CaseInsensitive)) return {K::AskBothCodecs};
  return {K::Quit, 293, 295};
}

CodecNames CodecNamesFor(const QString& fileType, const QString& fourCC, int audioTag) {
  if (fileType == QLatin1String("VOB"))
    return {"_VOB", "8192", "MPEG2 Video Decoder", "AC3 Decoder"};
  if (fileType == QLatin1String("MPG"))
    return {"_MPG", "85", "MPEG1 Video Decoder", "MPEG1 Audio Decoder"};
  if (fileType == QLatin1String("WMV"))
    return {"_WMV", "353", "Microsoft Windows Media Video Codec", "Microsoft Windows Media Audio Codec"};
  if (fileType == QLatin1String("AVI")) {
    QString tag = fourCC;
    tag.remove(u' ');
    // The names by FourCC and format tag come from the codec identification
    // tables; until those land the codes themselves name the codecs.
    return {tag, audioTag >= 0 ? QString::number(audioTag) : QString(), tag,
            audioTag >= 0 ? QString::number(audioTag) : QString()};
  }
  return {};
}

}  // namespace lumi::player
