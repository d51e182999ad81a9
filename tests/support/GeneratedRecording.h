#pragma once

// Recordings made on the spot with GStreamer, for tests and benchmarks that need more than
// the short welcome: noise (it keeps a variable bit rate varying) of a given length.

#include <gst/gst.h>

#include <string>

namespace testsupport {

// format: raw caps such as "rate=22050,channels=1"; encoder: a GStreamer description such as
// "vorbisenc ! oggmux". GStreamer must be initialised. True when the file was written.
inline bool MakeRecording(const std::string& path, int seconds, const std::string& format, const std::string& encoder)
{
    const std::string rate = format.substr(format.find('=') + 1, format.find(',') - format.find('=') - 1);
    const std::string description = "audiotestsrc wave=pink-noise volume=0.3 num-buffers=" + std::to_string(seconds)
        + " samplesperbuffer=" + rate + " ! audio/x-raw," + format + " ! audioconvert ! " + encoder
        + " ! filesink location=\"" + path + "\"";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    g_clear_error(&error);
    if (!pipeline)
        return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end
        = gst_bus_timed_pop_filtered(bus, 120 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool made = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end)
        gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return made;
}

} // namespace testsupport
