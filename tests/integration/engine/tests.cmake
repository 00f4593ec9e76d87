# The engine and its Filters menu on GStreamer, clips made at test time (fake sinks, no display).
tavimo_test(NAME engine_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_gst_test.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)

# Speed and frame steps on GStreamer, a clip made at test time (fake sinks, no display).
tavimo_test(NAME speed_steps_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/speed_steps_gst_test.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
