tavimo_e2e_test(NAME view_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/view_e2e_test.cpp
    DEPENDS demo_clip)

# The desktop's scale (Xft.dpi 192) and a clip as large as the screen.
tavimo_e2e_test(NAME scale_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/scale_e2e_test.cpp)
