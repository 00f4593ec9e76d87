# libFuzzer targets of the subtitle readers and of the embedded cue glue, each
# run for 30 s by CTest on the seed corpus kept beside it. New inputs go to a folder in the build tree.
if(TAVIMO_FUZZ)
    set(TAVIMO_SUBTITLE_FUZZERS
        "fuzz_subtitle_subrip\;fuzz_subtitle_reader.cpp\;TAVIMO_FUZZ_MICRODVD=0\;subrip"
        "fuzz_subtitle_microdvd\;fuzz_subtitle_reader.cpp\;TAVIMO_FUZZ_MICRODVD=1\;microdvd"
        "fuzz_subtitle_scan\;fuzz_subtitle_scan.cpp\;TAVIMO_FUZZ_SCAN=1\;scan"
        "fuzz_embedded_cues\;fuzz_embedded_cues.cpp\;TAVIMO_FUZZ_CUES=1\;cues")
    foreach(row IN LISTS TAVIMO_SUBTITLE_FUZZERS)
        list(GET row 0 name)
        list(GET row 1 source)
        list(GET row 2 define)
        list(GET row 3 corpus)
        add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${source})
        target_compile_definitions(${name} PRIVATE ${define})
        target_link_libraries(${name} PRIVATE tavimo_core)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        set(found_dir ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
        file(MAKE_DIRECTORY ${found_dir})
        add_test(NAME ${name}
            COMMAND ${name} -max_total_time=30 -max_len=16384 -rss_limit_mb=2048
                ${found_dir} ${CMAKE_CURRENT_LIST_DIR}/corpus/${corpus})
        set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
    endforeach()
endif()
