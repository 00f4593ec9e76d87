# GstHarness, for the tests that feed an element or a renderer directly.
if(TAVIMO_BUILD_UI AND TAVIMO_BUILD_TESTS)
    pkg_check_modules(GSTCHECK REQUIRED IMPORTED_TARGET gstreamer-check-1.0)
endif()

# The engine and its Filters menu on GStreamer, clips made at test time (fake sinks, no display).
tavimo_test(NAME engine_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_gst_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_media_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration
    COST 40)

# The tracks a file carries: listing, embedded subtitles, audio switching.
tavimo_test(NAME tracks_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tracks_gst_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_media_main.cpp
    LIBS tavimo_ui Qt6::Test PkgConfig::GSTCHECK
    LABELS integration)

# Speed and frame steps on GStreamer, a clip made at test time (fake sinks, no display).
tavimo_test(NAME speed_steps_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/speed_steps_gst_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_media_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)

# The video path through ximagesink on an Xvfb of its own: an extreme pixel
# aspect, deinterlacing, matrices and ranges, the first frame's size and the
# decoder's pool through resizing while playing.
tavimo_test(NAME video_path_x11_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/video_path_x11_test.cpp
    LIBS tavimo_ui tavimo_e2e_support Qt6::Test
    LABELS integration)

# Speed changes and the audio delay through pulsesink into a PulseAudio
# null sink (or a pipe card) of the test's own.
tavimo_test(NAME speed_sound_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/speed_sound_gst_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_media_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration
    COST 110)
# Alone in a parallel run: beside other tests' players and sound servers
# starting up, a pause or start after a quick run of seeks has once not taken
# (its message says the pipeline's state when it fails).
if(TARGET speed_sound_gst_test)
    set_tests_properties(speed_sound_gst_test PROPERTIES RUN_SERIAL TRUE)
endif()

# Our H.264 and AAC decoders against GStreamer's libav plugin, on streams
# made at test time.
tavimo_test(NAME avcodec_decoders_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/avcodec_decoders_test.cpp
    LIBS tavimo_ui PkgConfig::GSTCHECK
    LABELS integration)

# Standing a clip's pictures upright: turns against values written out, and
# the element in a GstHarness.
tavimo_test(NAME upright_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/upright_test.cpp
    LIBS tavimo_ui PkgConfig::GSTCHECK
    LABELS integration)

# The display's colour converter on libswscale: pixels against values written
# out, and a scaled picture filtered rather than sampled.
tavimo_test(NAME swscale_convert_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/swscale_convert_test.cpp
    LIBS tavimo_ui PkgConfig::GSTCHECK
    LABELS integration)
