# The subtitle synchroniser's core: cue and speech signals, the match, parts,
# the notes, the corrected file and the remembered results; one thread.
tavimo_test(NAME sync_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_signal_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/sync_align_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/sync_text_test.cpp
    LIBS tavimo_core
    LABELS unit
    COST 50)

# The listening plan around a speech source: where it listens, what it
# hears, and a cancel from another thread.
tavimo_test(NAME subtitle_sync_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitle_sync_test.cpp
    LIBS tavimo_core
    LABELS unit threads)
