# Platform services that need no display: the instance channel (with real processes) and paths.
if(TAVIMO_BUILD_TESTS)
    add_executable(tavimo_instance_peer ${CMAKE_CURRENT_LIST_DIR}/instance_peer.cpp)
    target_link_libraries(tavimo_instance_peer PRIVATE tavimo_core)
endif()

tavimo_test(NAME platform_instance_channel_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/instance_channel_test.cpp
    LIBS tavimo_core
    LABELS unit)
if(TARGET platform_instance_channel_tests)
    add_dependencies(platform_instance_channel_tests tavimo_instance_peer)
    target_compile_definitions(platform_instance_channel_tests PRIVATE
        TAVIMO_INSTANCE_PEER="$<TARGET_FILE:tavimo_instance_peer>")
endif()

tavimo_test(NAME platform_paths_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/paths_test.cpp
    LIBS tavimo_core
    LABELS unit)
