target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_track.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_reader_scan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_encoding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_names.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_font.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_mixer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_mixer_bitmap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_mixer_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_mixer_writers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_mixer_shared.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_delay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_note.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitle_loading.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subrip_styles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/embedded_cues.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ass_script.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ass_render.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ass_limits.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/subtitle_mixer_element.cpp
        ${CMAKE_CURRENT_LIST_DIR}/note_under_meta.cpp
        ${CMAKE_CURRENT_LIST_DIR}/drawn_band_meta.cpp
    )
endif()
