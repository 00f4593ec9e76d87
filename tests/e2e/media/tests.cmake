tavimo_e2e_test(NAME media_matrix_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/media_matrix_e2e_test.cpp)
