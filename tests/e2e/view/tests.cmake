# The demo clip in the real program under Xvfb (subtitles, full screen, a
# window manager), the desktop's scale (Xft.dpi 192) and a clip as large as
# the screen. Each test starts its own X server.
tavimo_e2e_test(NAME view_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_e2e_test.cpp
    DEPENDS demo_clip)
