tavimo_test(NAME subtitle_reader_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitle_reader_test.cpp
    LIBS tavimo_core
    LABELS unit)
tavimo_test(NAME subtitle_track_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitle_track_test.cpp
    LIBS tavimo_core
    LABELS unit)
