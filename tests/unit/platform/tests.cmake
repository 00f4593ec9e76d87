# Platform services that need no display: the instance channel (with a forked
# holder; its own entry runs the event loop the listeners need) and paths.
tavimo_test(NAME platform_unit_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform_test.cpp
    LIBS tavimo_core Qt6::Test
    LABELS unit threads)
