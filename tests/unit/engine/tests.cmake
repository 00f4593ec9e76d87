# The engine's logic on the scripted media framework (no GStreamer).
tavimo_test(NAME engine_player_record_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/player_record_test.cpp ${CMAKE_CURRENT_LIST_DIR}/tracks_test.cpp
    LIBS tavimo_core
    LABELS unit)
# Chapters read from MP4 files' own boxes, damaged ones too.
tavimo_test(NAME engine_mp4_chapters_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/mp4_chapters_test.cpp
    LIBS tavimo_core
    LABELS unit)

# The speed steps, the note's text and the record's speed on the scripted framework.
tavimo_test(NAME engine_playback_speed_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/playback_speed_test.cpp
    LIBS tavimo_core
    LABELS unit)

# DVB display sets given a column to spare in each region, damaged ones too.
tavimo_test(NAME engine_dvb_pages_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/dvb_pages_test.cpp
    LIBS tavimo_core
    LABELS unit)
