# Subtitle reading throughput and lookup cost; compare-subparse.sh puts the
# reading figure beside GStreamer's subparse on the same file.
add_executable(subtitle_bench ${CMAKE_CURRENT_LIST_DIR}/subtitle_bench.cpp)
target_link_libraries(subtitle_bench PRIVATE tavimo_core benchmark::benchmark)

# Embedded cues on their way to the mixer: publication, hostile cues, ASS replay.
add_executable(cue_bench ${CMAKE_CURRENT_LIST_DIR}/cue_bench.cpp)
target_link_libraries(cue_bench PRIVATE tavimo_core benchmark::benchmark)
