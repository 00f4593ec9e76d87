# The sound card's clock through a PulseAudio server: lip sync against a
# card running off pace, and stalls over pauses, seeks and speed steps
# (driven by drift.sh and stall.sh).
if(TAVIMO_BUILD_UI AND TARGET tavimo_test_support)
    add_executable(clock_bench ${CMAKE_CURRENT_LIST_DIR}/clock_bench.cpp)
    target_link_libraries(clock_bench PRIVATE tavimo_ui tavimo_test_support Qt6::Test)
endif()

# Night mode's sound: its cost per second of sound, and the player playing
# a clip with it on or off for night.sh's measures.
if(TAVIMO_BUILD_UI AND TARGET tavimo_test_support)
    add_executable(night_bench ${CMAKE_CURRENT_LIST_DIR}/night_bench.cpp)
    target_link_libraries(night_bench PRIVATE tavimo_ui tavimo_test_support Qt6::Test
                                              benchmark::benchmark)
endif()

# Clock waits that end late, preloaded by pause_race.sh into the speed test.
if(TAVIMO_BUILD_UI AND TARGET tavimo_test_support)
    add_library(slow_clock_wait MODULE ${CMAKE_CURRENT_LIST_DIR}/slow_clock_wait.cpp)
    target_link_libraries(slow_clock_wait PRIVATE PkgConfig::GST ${CMAKE_DL_LIBS})
endif()
