tavimo_test(NAME main_frame_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_frame_test.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
