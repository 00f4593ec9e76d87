# The engine on GStreamer with clips made at test time (fake sinks, no display).
tavimo_test(NAME engine_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_gst_test.cpp
    LIBS tavimo_ui
    LABELS integration)
