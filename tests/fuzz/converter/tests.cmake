# libFuzzer target of the display's colour converter on libswscale: any input
# format of its table at any size into any output format and size, every
# frame fenced. It needs GStreamer's video library and libswscale, found here
# for this target alone (the fuzz build has no UI). Run for 30 s by CTest on
# the seed corpus beside it.
if(TAVIMO_FUZZ)
    pkg_check_modules(FUZZ_SWSCALE REQUIRED IMPORTED_TARGET
        gstreamer-video-1.0 gstreamer-base-1.0 libswscale libavutil)
    add_executable(fuzz_converter ${CMAKE_CURRENT_LIST_DIR}/fuzz_converter.cpp
        ${PROJECT_SOURCE_DIR}/src/engine/media/swscale_frames.cpp)
    target_include_directories(fuzz_converter PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(fuzz_converter PRIVATE PkgConfig::FUZZ_SWSCALE)
    target_link_options(fuzz_converter PRIVATE -fsanitize=fuzzer)
    set(found_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz_converter-corpus)
    file(MAKE_DIRECTORY ${found_dir})
    add_test(NAME fuzz_converter
        COMMAND fuzz_converter -max_total_time=30 -max_len=4096 -timeout=10
            -rss_limit_mb=2048 ${found_dir} ${CMAKE_CURRENT_LIST_DIR}/corpus)
    set_tests_properties(fuzz_converter PROPERTIES LABELS fuzz TIMEOUT 120)
endif()
