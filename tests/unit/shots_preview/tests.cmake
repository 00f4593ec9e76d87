# Screenshot names and the preview's thumbnail worker, without GStreamer.
tavimo_test(NAME shots_preview_unit_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/shots_preview_unit_test.cpp
    LIBS tavimo_core
    LABELS unit)

# Where screenshots are saved (xdg-user-dirs and its absence).
tavimo_test(NAME screenshot_folder_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/screenshot_folder_test.cpp
    LIBS tavimo_ui
    LABELS unit)
