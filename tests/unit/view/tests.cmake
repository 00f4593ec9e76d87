# The view's and the seek bar's arithmetic (no display).
tavimo_test(NAME view_geometry_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_geometry_test.cpp
    LIBS tavimo_core
    LABELS unit)

# The window's fit to a clip and the work area (no display).
tavimo_test(NAME window_fit_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_fit_test.cpp
    LIBS tavimo_core
    LABELS unit)
