# The engine's logic on the scripted media framework (no GStreamer).
tavimo_test(NAME engine_player_record_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/player_record_test.cpp ${CMAKE_CURRENT_LIST_DIR}/tracks_test.cpp
    LIBS tavimo_core
    LABELS unit)
