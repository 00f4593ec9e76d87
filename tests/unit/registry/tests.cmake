tavimo_test(NAME registry_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_store_test.cpp
    LIBS tavimo_core
    LABELS unit)
tavimo_test(NAME registry_process_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_process_test.cpp
    LIBS tavimo_core
    LABELS unit)
