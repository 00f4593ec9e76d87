tavimo_e2e_test(NAME sync_e2e_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_e2e_test.cpp)
