# Platform adapters against real services: XRandR on an Xvfb server of its own, Qt dialogs.
tavimo_test(NAME platform_display_modes_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/display_modes_test.cpp
    LIBS tavimo_ui tavimo_e2e_support
    LABELS integration)
# The screen saver and DPMS on an Xvfb server of its own.
tavimo_test(NAME platform_screen_saver_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/screen_saver_test.cpp
    LIBS tavimo_ui tavimo_e2e_support
    LABELS integration)
