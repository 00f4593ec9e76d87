# The main frame and the view offscreen on the scripted media framework: the
# menus, keys and commands, deinterlacing, and the view's picture, full screen
# and seek bar.
tavimo_test(NAME main_frame_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_frame_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_widgets_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
