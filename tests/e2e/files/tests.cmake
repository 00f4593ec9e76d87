tavimo_e2e_test(NAME files_e2e_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/files_e2e_test.cpp)
