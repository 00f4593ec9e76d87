# The display's conversion per frame: videoconvert (and videoscale) against
# the libswscale converter, on the frames the decoders give.
if(TAVIMO_BUILD_UI)
    pkg_check_modules(GSTCHECK_BENCH REQUIRED IMPORTED_TARGET gstreamer-check-1.0)
    add_executable(convert_bench ${CMAKE_CURRENT_LIST_DIR}/convert_bench.cpp)
    target_link_libraries(convert_bench PRIVATE tavimo_ui PkgConfig::GSTCHECK_BENCH
        benchmark::benchmark)
endif()

# Standing a phone's clip upright: videoflip against tavimoupright.
if(TAVIMO_BUILD_UI)
    add_executable(upright_bench ${CMAKE_CURRENT_LIST_DIR}/upright_bench.cpp)
    target_link_libraries(upright_bench PRIVATE tavimo_ui PkgConfig::GSTCHECK_BENCH
        benchmark::benchmark)
endif()
