tavimo_e2e_test(NAME view_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_e2e_test.cpp
    DEPENDS demo_clip)
