# The recent-file list on an in-memory registry and a scripted menu, and the
# resume positions on a real settings file.
tavimo_test(NAME engine_recent_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_recent_test.cpp
    LIBS tavimo_core
    LABELS unit)
