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
        tavimo_fuzzer(NAME ${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${source} DEFINES ${define}
            LIBS tavimo_core CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/${corpus} ARGS -max_len=16384)
    endforeach()
endif()
