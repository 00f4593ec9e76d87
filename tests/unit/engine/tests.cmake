# The engine's logic without GStreamer: the player record, its tracks and
# speeds on the scripted media framework; MP4 chapters and DVB display sets
# read from bytes written out, damaged ones too.
tavimo_test(NAME engine_unit_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/player_record_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/stream_data_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/night_dsp_test.cpp
    LIBS tavimo_core
    LABELS unit threads)
