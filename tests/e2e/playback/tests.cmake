tavimo_e2e_test(NAME playback_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/playback_e2e_test.cpp
    DEPENDS demo_clip)
tavimo_e2e_test(NAME resume_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/resume_e2e_test.cpp)
