# libFuzzer target of the ASS/SSA glue: a script read whole or built from an
# embedded header and events, held within the bounds, drawn by libass and
# blended into frames. Run for 30 s by CTest on the seed corpus beside it.
if(TAVIMO_FUZZ)
    add_executable(fuzz_ass_script ${CMAKE_CURRENT_LIST_DIR}/fuzz_ass_script.cpp)
    target_link_libraries(fuzz_ass_script PRIVATE tavimo_core)
    target_link_options(fuzz_ass_script PRIVATE -fsanitize=fuzzer)
    set(found_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz_ass_script-corpus)
    file(MAKE_DIRECTORY ${found_dir})
    add_test(NAME fuzz_ass_script
        COMMAND fuzz_ass_script -max_total_time=30 -max_len=16384 -rss_limit_mb=2048
            ${found_dir} ${CMAKE_CURRENT_LIST_DIR}/corpus)
    set_tests_properties(fuzz_ass_script PROPERTIES LABELS fuzz TIMEOUT 120)
endif()
