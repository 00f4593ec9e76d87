tavimo_test(NAME subtitles_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitles_test.cpp
    LIBS tavimo_core
    LABELS unit)
if(TARGET subtitles_tests)
    add_dependencies(subtitles_tests subtitle-dump)
    target_compile_definitions(subtitles_tests PRIVATE SUBTITLE_DUMP="$<TARGET_FILE:subtitle-dump>")
endif()
