#include "tests/media/TestMedia.h"

#include <gst/gst.h>

namespace lumi::test {

QString writeTone(const QString& path, const QString& encoder, double seconds) {
  if (!gst_init_check(nullptr, nullptr, nullptr)) return QStringLiteral("GStreamer unavailable");
  constexpr int kRate = 44100, kSamplesPerBuffer = 1024;
  const int buffers = int(seconds * kRate / kSamplesPerBuffer + 0.5);
  const QString description =
      QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=%2 freq=440 ! audio/x-raw,rate=%3,channels=2 ! "
                     "audioconvert ! %4 ! filesink location=\"%5\"")
          .arg(buffers)
          .arg(kSamplesPerBuffer)
          .arg(kRate)
          .arg(encoder, path);
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
  if (error) {
    const QString text = QString::fromUtf8(error->message);
    g_error_free(error);
    if (pipeline) gst_object_unref(pipeline);
    return text;
  }
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* message = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND,
                                                   GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  QString result;
  if (!message) {
    result = QStringLiteral("encoding timed out");
  } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
    GError* e = nullptr;
    gst_message_parse_error(message, &e, nullptr);
    result = QString::fromUtf8(e ? e->message : "error");
    if (e) g_error_free(e);
  }
  if (message) gst_message_unref(message);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return result;
}

}  // namespace lumi::test
