# The synchroniser from the command line on clips made at test time: espeak-ng
# speaking each cue over brown noise, muxed with a still picture; and its
# GStreamer speech source on the same clips. Runs the player binary, so only
# with the UI built.
if(TAVIMO_BUILD_UI)
    tavimo_test(NAME sync_cli_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_cli_test.cpp
        LIBS tavimo_ui
        LABELS integration
        COST 50)
    if(TARGET sync_cli_test)
        add_dependencies(sync_cli_test tavimo)
        set_tests_properties(sync_cli_test PROPERTIES TIMEOUT 300)
    endif()
endif()
