tavimo_test(NAME subtitles_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitles_test.cpp
    LIBS tavimo_core
    LABELS unit)
if(TARGET subtitles_tests)
    add_dependencies(subtitles_tests subtitle-dump)
    target_compile_definitions(subtitles_tests PRIVATE SUBTITLE_DUMP="$<TARGET_FILE:subtitle-dump>")
endif()

# Embedded cue text and the per-track cue stores.
tavimo_test(NAME embedded_cues_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/embedded_cues_test.cpp
    LIBS tavimo_core
    LABELS unit threads)

# The bounds on a streamed ASS track's events.
tavimo_test(NAME ass_admission_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ass_admission_test.cpp
    LIBS tavimo_core
    LABELS unit threads)
