# "Synchronise Subtitles to Speech" in the main frame offscreen: the menu
# entry and its key, the remembered result with Z and Shift+Z after it, and
# Y cancelling, pressed many times, and the window closed mid-run.
tavimo_test(NAME sync_frame_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_frame_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_widgets_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
