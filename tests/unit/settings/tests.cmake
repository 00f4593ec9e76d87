tavimo_test(NAME settings_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp
    LIBS tavimo_core
    LABELS unit)
