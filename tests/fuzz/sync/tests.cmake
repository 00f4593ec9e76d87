# libFuzzer target of the subtitle synchroniser's input: a subtitle file's
# bytes (SubRip, MicroDVD or an ASS script) matched against a speech signal
# made from the same bytes. Run for 30 s by CTest on the seed corpus beside
# it, with a dictionary of the formats' pieces and of times at their edges.
if(TAVIMO_FUZZ)
    add_executable(fuzz_sync_match ${CMAKE_CURRENT_LIST_DIR}/fuzz_sync_match.cpp)
    target_link_libraries(fuzz_sync_match PRIVATE tavimo_core)
    target_link_options(fuzz_sync_match PRIVATE -fsanitize=fuzzer)
    set(found_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz_sync_match-corpus)
    file(MAKE_DIRECTORY ${found_dir})
    add_test(NAME fuzz_sync_match
        COMMAND fuzz_sync_match -max_total_time=30 -max_len=16384 -rss_limit_mb=2048
            -dict=${CMAKE_CURRENT_LIST_DIR}/sync.dict ${found_dir} ${CMAKE_CURRENT_LIST_DIR}/corpus)
    set_tests_properties(fuzz_sync_match PROPERTIES LABELS fuzz TIMEOUT 120)
endif()
