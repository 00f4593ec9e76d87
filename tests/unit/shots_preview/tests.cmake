# Screenshot names and the preview's thumbnail worker, without GStreamer.
tavimo_test(NAME shots_preview_unit_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/shots_preview_unit_test.cpp
    LIBS tavimo_core
    LABELS unit threads)
