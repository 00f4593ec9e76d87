tavimo_test(NAME subtitle_loading_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitle_loading_test.cpp
    LIBS tavimo_core
    LABELS unit)
tavimo_test(NAME player_subtitles_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/player_subtitles_test.cpp
    LIBS tavimo_core
    LABELS unit)
