// The sound output: the first sink that opens, else silence that keeps to the
// clock, said once on stderr and with no sound library's chatter.
#include <gtest/gtest.h>

#include <string>

#include "engine/media/audio_output.h"

namespace tavimo {
namespace {

std::string FactoryOf(GstElement* element) {
    return GST_OBJECT_NAME(gst_element_get_factory(element));
}

TEST(AudioOutput, FirstSinkThatOpensElseClockBoundSilenceSaidOnce) {
    gst_init(nullptr, nullptr);
    struct Case {
        const char* name;
        std::vector<std::string> candidates;  // none: the machine's sinks
        const char* factory;                  // null: whichever opens here
        const char* said;                     // on stderr
    };
    const Case cases[] = {
        {"nothing opens: silence, and the one line",
         {"no-such-sink"},
         "fakesink",
         "tavimo: no audio output; playing without sound\n"},
        {"nothing opens again: the line is not repeated", {"no-such-sink"}, "fakesink", ""},
        {"the first candidate that opens is taken",
         {"no-such-sink", "fakeaudiosink", "fakesink"},
         "fakeaudiosink",
         ""},
        // ALSA and OpenAL ones where there is no sound card: none of their
        // libraries' messages reach the terminal.
        {"every sink of the machine tried", {}, nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Captured on file descriptor 2, so the libraries' own output too.
        testing::internal::CaptureStderr();
        GstElement* sink = MakeAudioOutput(c.candidates);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said);
        ASSERT_NE(sink, nullptr);
        EXPECT_TRUE(g_object_is_floating(sink));
        if (c.factory) {
            EXPECT_EQ(FactoryOf(sink), c.factory);
        }
        if (FactoryOf(sink) == "fakesink") {
            gboolean sync = FALSE;
            g_object_get(sink, "sync", &sync, nullptr);
            EXPECT_TRUE(sync) << "silence must keep to the clock";
        }
        gst_object_unref(gst_object_ref_sink(sink));
    }
}

}  // namespace
}  // namespace tavimo
