# The seek bar preview on a 1080p clip: hover to thumbnail while the clip
# plays, and the CPU of playback with the preview's decoder idle beside none.
# ScriptedDialogs comes from the tests' support library.
if(TAVIMO_BUILD_UI AND TARGET tavimo_test_support)
    add_executable(preview_bench ${CMAKE_CURRENT_LIST_DIR}/preview_bench.cpp)
    target_link_libraries(preview_bench PRIVATE tavimo_ui tavimo_test_support)
endif()
