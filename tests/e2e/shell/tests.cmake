tavimo_e2e_test(NAME shell_e2e_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_e2e_test.cpp)
