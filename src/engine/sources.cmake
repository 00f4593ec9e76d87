target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/player_record.cpp
    ${CMAKE_CURRENT_LIST_DIR}/play_clip.cpp
    ${CMAKE_CURRENT_LIST_DIR}/open_clip.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filters_menu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chapters_loop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/player_chapters_loop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/track_choices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/track_selection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/screenshot_name.cpp
    ${CMAKE_CURRENT_LIST_DIR}/thumbnail_worker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/playback_speed.cpp
    ${CMAKE_CURRENT_LIST_DIR}/deinterlace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audio_delay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/night_mode.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_sync.cpp
    # The recent-file list lives with the other integration parts; its folder
    # has no source list of its own yet.
    ${CMAKE_CURRENT_LIST_DIR}/../integration/recent_file_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../integration/resume_positions.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/filters_menu_ui.cpp
        ${CMAKE_CURRENT_LIST_DIR}/filter_properties.cpp
        ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp
    )
endif()
