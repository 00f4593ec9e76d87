tavimo_e2e_test(NAME subtitles_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitles_e2e_test.cpp
    DEPENDS demo_clip)
