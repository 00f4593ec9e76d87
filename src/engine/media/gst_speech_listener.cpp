// SpeechListener at work: opening the clip, playing the stretches asked
// for, and feeding the detector, whose word is marked into the steps heard
// (the pipeline is built in gst_speech_listener_pipeline.cpp).
#include "engine/media/gst_speech_listener.h"

#include <algorithm>
#include <cmath>

#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {
namespace {

constexpr GstClockTime kOpenTimeout = 10 * GST_SECOND;
constexpr GstClockTime kPollInterval = 50 * GST_MSECOND;
constexpr int64_t kSamplesPerStep = kSpeechRate / 1000 * sync::kStepMs;
// The noise suppressor and detector settle this long after each seek.
constexpr int64_t kSettleSamples = kSpeechRate * 3 / 10;
// The detector's word comes this late after the sound (mostly its hang-over
// at the end of speech): measured against espeak-ng speech at known times,
// at 20 and 5 dB under brown noise; the marks are moved back by it.
constexpr int64_t kDetectorLagSamples = kSpeechRate * 60 / 1000;
constexpr size_t kLagSteps = kDetectorLagSamples / kSamplesPerStep;  // 6

}  // namespace

bool SpeechListener::Open(const std::atomic<bool>& cancel, std::string* error) {
    if (!Build()) {
        *error = "a GStreamer element for listening is missing";
        return false;
    }
    gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (!WaitFor(GST_MESSAGE_ASYNC_DONE, cancel, error))
        return false;
    if (!linked_) {
        *error =
            audioPads_ > track_ ? "the audio track does not decode" : "the clip has no audio track";
        return false;
    }
    // The hold's message may have gone with the wait above, which drops
    // what it does not wait for; the flag says so.
    if (!held_ && !WaitFor(GST_MESSAGE_APPLICATION, cancel, error))
        return false;
    gint64 duration = 0;
    if (gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration > 0)
        durationMs_ = duration / GST_MSECOND;
    return true;
}

bool SpeechListener::Listen(int64_t startMs, int64_t endMs, sync::Activity& heard,
                            const std::atomic<bool>& cancel, std::string* error) {
    // Set before the seek: the streaming thread marks only after it.
    heard_ = &heard;
    firstStep_ = std::max<int64_t>(startMs, 0) / sync::kStepMs;
    endStep_ = std::min<int64_t>(endMs / sync::kStepMs, static_cast<int64_t>(heard.size()));
    return Play(startMs, endMs, cancel, error);
}

bool SpeechListener::SoundIn(int64_t startMs, int64_t endMs, const std::atomic<bool>& cancel,
                             bool* heard, std::string* error) {
    heard_ = nullptr;
    if (!Play(startMs, endMs, cancel, error))
        return false;
    *heard = bytesIn_ > 0;
    return true;
}

// Decodes [startMs, endMs) through to its end of stream.
bool SpeechListener::Play(int64_t startMs, int64_t endMs, const std::atomic<bool>& cancel,
                          std::string* error) {
    // Nothing flows between two stretches (the last one ended, or the
    // decoder is held before the first): the count starts clean.
    bytesIn_ = 0;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek(pipeline_, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                          startMs * GST_MSECOND, GST_SEEK_TYPE_SET, endMs * GST_MSECOND)) {
        *error = "the audio track cannot be searched";
        return false;
    }
    ReleaseDecoder();
    gst_element_set_state(pipeline_, GST_STATE_PLAYING);
    return WaitFor(GST_MESSAGE_EOS, cancel, error);
}

// Calling thread: waits for a message of type `done` (or an error), the
// stretch's end without a limit, anything else up to the open timeout.
bool SpeechListener::WaitFor(GstMessageType done, const std::atomic<bool>& cancel,
                             std::string* error) {
    GstBus* bus = gst_element_get_bus(pipeline_);
    const GstClockTime limit = done == GST_MESSAGE_EOS ? GST_CLOCK_TIME_NONE : kOpenTimeout;
    GstClockTime waited = 0;
    bool ok = false;
    while (true) {
        if (cancel) {
            *error = "cancelled";
            break;
        }
        if (limit != GST_CLOCK_TIME_NONE && (waited >= limit || (allPads_ && !linked_))) {
            // Without the sound linked nothing prerolls: no need to wait.
            *error = !allPads_             ? "the clip does not open"
                     : audioPads_ > track_ ? "the audio track does not decode"
                                           : "the clip has no audio track";
            break;
        }
        GstMessage* m = gst_bus_timed_pop_filtered(bus, kPollInterval,
                                                   GstMessageType(done | GST_MESSAGE_ERROR));
        waited += kPollInterval;
        if (!m)
            continue;
        const bool failed = GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR;
        gst_message_unref(m);
        if (failed)
            *error = linked_ ? "the audio track does not decode" : "the clip cannot be read";
        ok = !failed;
        break;
    }
    gst_object_unref(bus);
    return ok;
}

GstBusSyncReply SpeechListener::OnMessage(GstBus*, GstMessage* message, gpointer data) {
    const GstStructure* s = gst_message_get_structure(message);
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ELEMENT || !s ||
        !gst_structure_has_name(s, "voice-activity"))
        return GST_BUS_PASS;
    gboolean voice = FALSE;
    if (gst_structure_get_boolean(s, "stream-has-voice", &voice))
        static_cast<SpeechListener*>(data)->voice_ = voice != FALSE;
    return GST_BUS_DROP;
}

// Decoding thread, behind the decoder: until the first seek, the decoder is
// held at its first buffer (the sink need not preroll). Decoders carry state
// across seeks (AAC's noise substitution draws from a generator that runs
// on over every frame decoded), so how much they decode before the first
// stretch must not depend on how soon that stretch's seek comes.
GstPadProbeReturn SpeechListener::OnDecoded(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        self->Held();
        return GST_PAD_PROBE_OK;  // blocks until ReleaseDecoder or a flush
    }
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS)
        self->Held();  // nothing to hold: the track is empty
    return GST_PAD_PROBE_PASS;
}

// Decoding thread: the decoder is held (or ended); Open hears it on the bus
// (an application message, the first time).
void SpeechListener::Held() {
    if (!held_.exchange(true))
        gst_element_post_message(
            pipeline_,
            gst_message_new_application(GST_OBJECT(pipeline_), gst_structure_new_empty("held")));
}

// Calling thread, after a flushing seek, which has unblocked the held
// buffer (dropped): the decoder decodes freely from the seek on.
void SpeechListener::ReleaseDecoder() {
    if (holdProbe_ == 0)
        return;
    GstPad* decoded = gst_element_get_static_pad(convert_, "sink");
    gst_pad_remove_probe(decoded, holdProbe_);
    gst_object_unref(decoded);
    holdProbe_ = 0;
}

// Detector's thread, in front of it: each new segment's first sample is
// where the count of samples starts (its own time, from the segment it came
// in), and the detector starts with no voice whenever its format changes
// (it is set up again then, without a message).
GstPadProbeReturn SpeechListener::OnInput(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        self->bytesIn_ += static_cast<int64_t>(gst_buffer_get_size(buffer));
        if (self->anchorPending_ && GST_BUFFER_PTS_IS_VALID(buffer)) {
            const guint64 t = gst_segment_to_stream_time(&self->segment_, GST_FORMAT_TIME,
                                                         GST_BUFFER_PTS(buffer));
            self->anchorMs_ = t == GST_CLOCK_TIME_NONE ? 0 : static_cast<int64_t>(t / GST_MSECOND);
            self->samples_ = 0;
            self->anchorPending_ = false;
        }
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        gst_segment_copy_into(segment, &self->segment_);
        self->anchorPending_ = true;
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        if (!self->lastCaps_ || !gst_caps_is_equal(caps, self->lastCaps_)) {
            self->voice_ = false;
            gst_caps_replace(&self->lastCaps_, caps);
        }
    }
    return GST_PAD_PROBE_OK;
}

// Streaming thread, behind the detector: its 10 ms pieces marked with the
// detector's word on them, at times counted in samples from the anchor (the
// detector's own times go wrong after a seek).
GstPadProbeReturn SpeechListener::OnOutput(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* self = static_cast<SpeechListener*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const int64_t samples = static_cast<int64_t>(gst_buffer_get_size(buffer) / 2);
    if (self->strict_) {
        self->MarkLoud(buffer, samples);
    } else {
        self->Mark(self->samples_, samples, self->voice_);
    }
    self->samples_ += samples;
    return GST_PAD_PROBE_OK;
}

// Detector's thread: each 10 ms of the detector's output marked as speech
// when the detector says so and the sound, noise suppressed, stands out of
// the bed's floor. The detector's word is moved back by its lag (Mark); the
// sound's level has none, so the step a word is marked at takes the level
// heard kDetectorLagSamples before it.
void SpeechListener::MarkLoud(GstBuffer* buffer, int64_t samples) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        Mark(samples_, samples, false);
        return;
    }
    const auto* sound = reinterpret_cast<const int16_t*>(map.data);
    for (int64_t from = 0; from < samples; from += kSamplesPerStep) {
        const int64_t n = std::min(kSamplesPerStep, samples - from);
        double sum = 0;
        for (int64_t i = from; i < from + n; ++i) {
            sum += static_cast<double>(sound[i]) * sound[i];
        }
        loud_[pieces_ % loud_.size()] =
            floor_.Loud(10 * std::log10(sum / static_cast<double>(n) + 1));
        const bool loud = loud_[(pieces_ + loud_.size() - kLagSteps) % loud_.size()];
        ++pieces_;
        Mark(samples_ + from, n, voice_ && loud);
    }
    gst_buffer_unmap(buffer, &map);
}

void SpeechListener::Mark(int64_t fromSample, int64_t samples, bool voice) {
    const int8_t value = voice ? 1 : -1;
    const int64_t first = std::max(fromSample, kSettleSamples);
    for (int64_t s = first / kSamplesPerStep * kSamplesPerStep; s < fromSample + samples;
         s += kSamplesPerStep) {
        if (s < first)
            continue;
        const int64_t step =
            (anchorMs_ * (kSpeechRate / 1000) + s - kDetectorLagSamples) / kSamplesPerStep;
        if (heard_ && step >= firstStep_ && step < endStep_)
            (*heard_)[static_cast<size_t>(step)] = value;
    }
}

}  // namespace tavimo::gst_internal
