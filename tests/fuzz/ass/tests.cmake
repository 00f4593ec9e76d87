# libFuzzer target of the ASS/SSA glue: a script read whole or built from an
# embedded header and events, held within the bounds, drawn by libass and
# blended into frames. Run for 30 s by CTest on the seed corpus beside it.
if(TAVIMO_FUZZ)
    tavimo_fuzzer(NAME fuzz_ass_script SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_ass_script.cpp
        LIBS tavimo_core CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus ARGS -max_len=16384)
endif()
