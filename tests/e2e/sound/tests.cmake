# The real program through ximagesink and pulsesink into a null sink.
tavimo_e2e_test(NAME sound_e2e_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_e2e_test.cpp)
