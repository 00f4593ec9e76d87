tavimo_test(NAME subtitle_reader_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitle_reader_test.cpp
    LIBS tavimo_core
    LABELS unit)
tavimo_test(NAME subtitle_track_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/subtitle_track_test.cpp
    LIBS tavimo_core
    LABELS unit)
if(TARGET subtitle_reader_tests)
    add_dependencies(subtitle_reader_tests subtitle-dump)
    target_compile_definitions(subtitle_reader_tests PRIVATE
        SUBTITLE_DUMP="$<TARGET_FILE:subtitle-dump>")
endif()
