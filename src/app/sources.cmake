target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/main_frame.cpp
        ${CMAKE_CURRENT_LIST_DIR}/main_frame_menus.cpp
        ${CMAKE_CURRENT_LIST_DIR}/frame_commands.cpp
        ${CMAKE_CURRENT_LIST_DIR}/frame_deinterlace.cpp
        ${CMAKE_CURRENT_LIST_DIR}/run_player.cpp
        ${CMAKE_CURRENT_LIST_DIR}/sync_command_line.cpp
        ${CMAKE_CURRENT_LIST_DIR}/subtitle_syncer.cpp
        ${CMAKE_CURRENT_LIST_DIR}/frame_host.cpp
        ${CMAKE_CURRENT_LIST_DIR}/recent_menu.cpp
        ${CMAKE_CURRENT_LIST_DIR}/desktop_wiring.cpp
        ${CMAKE_CURRENT_LIST_DIR}/translations.cpp
    )
    target_compile_definitions(tavimo PRIVATE TAVIMO_VERSION="${PROJECT_VERSION}")
endif()
