tavimo_test(NAME subtitle_loading_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitle_loading_test.cpp
    LIBS tavimo_core
    LABELS unit)
