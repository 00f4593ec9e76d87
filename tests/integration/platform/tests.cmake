# Platform adapters against a real X server (an Xvfb of their own): XRandR.
tavimo_test(NAME platform_x11_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/x11_platform_test.cpp
    LIBS tavimo_ui tavimo_e2e_support
    LABELS integration)
