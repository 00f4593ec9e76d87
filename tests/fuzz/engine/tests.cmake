# libFuzzer target of the MP4 chapter reader: box walks of any shape must end
# and stay inside the file. Run for 30 s by CTest on the seed corpus beside it.
if(TAVIMO_FUZZ)
    add_executable(fuzz_mp4_chapters ${CMAKE_CURRENT_LIST_DIR}/fuzz_mp4_chapters.cpp)
    target_link_libraries(fuzz_mp4_chapters PRIVATE tavimo_core)
    target_link_options(fuzz_mp4_chapters PRIVATE -fsanitize=fuzzer)
    set(found_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz_mp4_chapters-corpus)
    file(MAKE_DIRECTORY ${found_dir})
    add_test(NAME fuzz_mp4_chapters
        COMMAND fuzz_mp4_chapters -max_total_time=30 -max_len=4096 -timeout=10
            -rss_limit_mb=2048 ${found_dir} ${CMAKE_CURRENT_LIST_DIR}/corpus)
    set_tests_properties(fuzz_mp4_chapters PROPERTIES LABELS fuzz TIMEOUT 120)
endif()
