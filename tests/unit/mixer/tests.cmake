tavimo_test(NAME mixer_core_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/mixer_core_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/qt_test_main.cpp
    LIBS tavimo_core
    LABELS unit threads)

# The mixer drawing ASS scripts, scripts built to hurt (time and memory of a
# frame, crowds, huge sizes) and the fonts each clip attaches.
tavimo_test(NAME ass_mixer_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ass_mixer_test.cpp
    LIBS tavimo_core
    LABELS unit)
