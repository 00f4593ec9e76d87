# Shift+S and the seek bar's preview in the main frame, on GStreamer with fake
# sinks and clips made at test time.
tavimo_test(NAME shots_preview_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/shots_preview_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_widgets_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
