# The sound output on this machine's GStreamer.
tavimo_test(NAME audio_output_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_output_test.cpp
    LIBS tavimo_ui
    LABELS integration)
