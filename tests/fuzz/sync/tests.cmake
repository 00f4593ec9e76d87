# libFuzzer target of the subtitle synchroniser's input: a subtitle file's
# bytes (SubRip, MicroDVD or an ASS script) matched against a speech signal
# made from the same bytes. Run for 30 s by CTest on the seed corpus beside
# it, with a dictionary of the formats' pieces and of times at their edges.
if(TAVIMO_FUZZ)
    tavimo_fuzzer(NAME fuzz_sync_match SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_sync_match.cpp
        LIBS tavimo_core CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus
        ARGS -max_len=16384 -dict=${CMAKE_CURRENT_LIST_DIR}/sync.dict)
endif()
