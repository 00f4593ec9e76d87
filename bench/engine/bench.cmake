# Opening a clip to its first frame, beside playbin.
# ScriptedDialogs comes from the tests' support library.
if(TAVIMO_BUILD_UI AND TARGET tavimo_test_support)
    add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
    target_link_libraries(engine_bench PRIVATE tavimo_ui tavimo_test_support benchmark::benchmark)
endif()

# How tight the A-B loop is: the segment seek it uses beside a check of the
# position on the position timer.
if(TAVIMO_BUILD_UI AND TARGET tavimo_test_support)
    add_executable(loop_bench ${CMAKE_CURRENT_LIST_DIR}/loop_bench.cpp)
    target_link_libraries(loop_bench PRIVATE tavimo_ui tavimo_test_support Qt6::Test)
endif()
