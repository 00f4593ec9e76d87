# libFuzzer target of the display's colour converter on libswscale: any input
# format of its table at any size into any output format and size, every
# frame fenced. It needs GStreamer's video library and libswscale, found here
# for this target alone (the fuzz build has no UI). Run for 30 s by CTest on
# the seed corpus beside it.
if(TAVIMO_FUZZ)
    pkg_check_modules(FUZZ_SWSCALE REQUIRED IMPORTED_TARGET
        gstreamer-video-1.0 gstreamer-base-1.0 libswscale libavutil)
    tavimo_fuzzer(NAME fuzz_converter
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_converter.cpp
            ${PROJECT_SOURCE_DIR}/src/engine/media/swscale_frames.cpp
            ${PROJECT_SOURCE_DIR}/src/engine/media/swscale_bands.cpp
            ${PROJECT_SOURCE_DIR}/src/engine/media/swscale_halve.cpp
        LIBS PkgConfig::FUZZ_SWSCALE CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus
        ARGS -max_len=4096 -timeout=10)
    target_include_directories(fuzz_converter PRIVATE ${PROJECT_SOURCE_DIR}/src)
endif()
