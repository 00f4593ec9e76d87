# The recent-file list on an in-memory registry and a scripted menu.
tavimo_test(NAME engine_recent_file_list_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/recent_file_list_test.cpp
    LIBS tavimo_core
    LABELS unit)
tavimo_test(NAME resume_positions_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/resume_positions_test.cpp
    LIBS tavimo_core
    LABELS unit)
