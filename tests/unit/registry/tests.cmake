# The settings store: calls, the file's text, damaged files, and several
# processes on one file.
tavimo_test(NAME registry_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_test.cpp
    LIBS tavimo_core
    LABELS unit
    COST 60)
