# Opening and playing clips, beside playbin (and mpv in compare.sh).
if(TAVIMO_BUILD_UI)
    add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
    target_link_libraries(engine_bench PRIVATE tavimo_ui benchmark::benchmark)
endif()
