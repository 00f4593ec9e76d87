# The view's, the seek bar's and the window fit's arithmetic (no display).
tavimo_test(NAME view_geometry_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_geometry_test.cpp
    LIBS tavimo_core
    LABELS unit)
