# The subtitle synchroniser's core: cue and speech signals, the match, parts,
# the notes and the corrected file, the remembered results, and the listening
# plan around a speech source.
tavimo_test(NAME sync_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_signal_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/sync_align_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/sync_text_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/subtitle_sync_test.cpp
    LIBS tavimo_core
    LABELS unit
    COST 50)
