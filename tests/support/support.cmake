# Stand-ins for the platform services and the media framework that only tests
# use; every test program links them.
if(TAVIMO_BUILD_TESTS)
    add_library(tavimo_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/fake_media.cpp
        ${CMAKE_CURRENT_LIST_DIR}/null_sound_server.cpp)
    target_include_directories(tavimo_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(tavimo_test_support PUBLIC tavimo_core)
endif()
