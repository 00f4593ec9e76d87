# Platform services that need no display: the instance channel (with a forked holder) and paths.
tavimo_test(NAME platform_instance_channel_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/instance_channel_test.cpp
    LIBS tavimo_core
    LABELS unit)

tavimo_test(NAME platform_paths_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/paths_test.cpp
    LIBS tavimo_core
    LABELS unit)
