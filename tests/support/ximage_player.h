// The player's video path on a real X server without the main window: a
// native window for the picture and a record playing into it through
// ximagesink (the sink of machines without a GPU), with sound into fakesink.
// UI thread only.
#pragma once

#include <gst/gst.h>
#include <gst/video/videooverlay.h>

#include <QSize>
#include <QWidget>

#include <memory>
#include <string>

#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"

namespace tavimo::test {

class XImagePlayer : public PlayerHost, public VideoWindow {
  public:
    explicit XImagePlayer(QSize size) {
        // As the view's surface: Qt never paints over the sink's picture.
        for (auto attribute :
             {Qt::WA_NativeWindow, Qt::WA_NoSystemBackground, Qt::WA_OpaquePaintEvent})
            surface.setAttribute(attribute);
        surface.setGeometry(0, 0, size.width(), size.height());
        surface.show();
        GstMediaOptions options;
        options.videoSink = "ximagesink";
        options.audioSink = "fakesink";
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
    }
    ~XImagePlayer() override { record.CloseClip(); }

    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
    VideoWindow* VideoSurface() override { return this; }
    uintptr_t NativeSurface() override { return surface.winId(); }
    void PlaceSurface(const RECT& rect) override {
        surface.setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    }
    double DevicePixelRatio() override { return 1.0; }

    // The size of the frames the sink takes now; empty before any.
    QSize SinkSize() {
        GstElement* bin = gst_bin_get_by_name(GST_BIN(GstPipelineOf(record.pGB.get())),
                                              "Video Mixing Renderer 9");
        GstElement* sink = gst_bin_get_by_interface(GST_BIN(bin), GST_TYPE_VIDEO_OVERLAY);
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        GstCaps* caps = gst_pad_get_current_caps(pad);
        int w = 0, h = 0;
        if (caps) {
            GstStructure* s = gst_caps_get_structure(caps, 0);
            gst_structure_get_int(s, "width", &w);
            gst_structure_get_int(s, "height", &h);
            gst_caps_unref(caps);
        }
        gst_object_unref(pad);
        gst_object_unref(sink);
        gst_object_unref(bin);
        return QSize(w, h);
    }

    QWidget surface;
    platform::ScriptedDialogs dialogs;
    std::unique_ptr<MediaFramework> media;
    PlayerRecord record{*this};
};

}  // namespace tavimo::test
