# The subtitle synchroniser's core: cue and speech signals, the match, parts,
# the notes and the corrected file, the remembered results.
tavimo_test(NAME sync_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_signal_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/sync_align_test.cpp
    LIBS tavimo_core
    LABELS unit)
