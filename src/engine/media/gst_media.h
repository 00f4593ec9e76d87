// The media framework on GStreamer: a filter graph is a GstPipeline, filters
// are elements, pins are pads. See media.h for the contract.
#pragma once

#include <gst/gst.h>

#include <memory>
#include <string>

#include "engine/media/media.h"

namespace tavimo {

struct GstMediaOptions {
    // Factory of the video sink; empty: probe xvimagesink, then glimagesink
    // unless OpenGL draws in software, then ximagesink.
    std::string videoSink;
    // Factory of the audio sink; empty: the first that opens, else silence
    // (MakeAudioOutput).
    std::string audioSink;
    // Factory of the filter that keeps the audio's pitch at other speeds;
    // empty or not installed: at speeds other than 1 the audio is silent.
    std::string tempoFilter = "scaletempo";
    // Longest wait of the UI thread on a pipeline, for files and for network URLs.
    int fileTimeoutMs = 10000;
    int networkTimeoutMs = 30000;
};

// Initialises GStreamer and registers the subtitle mixer when needed. UI thread.
// Graph events reach their notify target as queued calls on the thread of the
// QCoreApplication; without an application object they wait for GetEvent.
std::unique_ptr<MediaFramework> NewGstMediaFramework(const GstMediaOptions& options = {});

// The pipeline behind a graph of this framework (borrowed), for diagnostics
// and tests; null for other graphs. Any thread.
GstElement* GstPipelineOf(IGraphBuilder* graph);

// The element behind a filter of this framework (borrowed); null otherwise.
GstElement* GstElementOf(IBaseFilter* filter);

}  // namespace tavimo
