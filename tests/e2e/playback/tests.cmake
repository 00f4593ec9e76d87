tavimo_test(NAME playback_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/playback_e2e_test.cpp
    LIBS tavimo_ui tavimo_e2e_support
    LABELS e2e)
if(TARGET playback_e2e_test)
    add_dependencies(playback_e2e_test tavimo demo_clip)
    set_tests_properties(playback_e2e_test PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
