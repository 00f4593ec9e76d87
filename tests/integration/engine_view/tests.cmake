# The view's picture with the scripted media framework (Qt offscreen, no GStreamer).
tavimo_test(NAME engine_view_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tavimo_view_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_widgets_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
