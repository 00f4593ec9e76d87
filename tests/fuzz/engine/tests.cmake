# libFuzzer target of the MP4 chapter reader: box walks of any shape must end
# and stay inside the file. Run for 30 s by CTest on the seed corpus beside it.
if(TAVIMO_FUZZ)
    tavimo_fuzzer(NAME fuzz_mp4_chapters SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_mp4_chapters.cpp
        LIBS tavimo_core CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus ARGS -max_len=4096 -timeout=10)
endif()
