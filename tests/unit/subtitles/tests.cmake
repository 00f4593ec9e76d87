tavimo_test(NAME subtitles_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitles_test.cpp
    LIBS tavimo_core
    LABELS unit)
if(TARGET subtitles_tests)
    add_dependencies(subtitles_tests subtitle-dump)
    target_compile_definitions(subtitles_tests PRIVATE SUBTITLE_DUMP="$<TARGET_FILE:subtitle-dump>")
endif()

# Embedded cue text, the per-track cue stores and the bounds on a streamed
# ASS track's events.
tavimo_test(NAME streamed_subtitles_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/streamed_subtitles_test.cpp
    LIBS tavimo_core
    LABELS unit threads)
