target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/instance_channel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/paths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry_tree.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry_store.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_lock.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/display_modes.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gio_desktop.cpp
        ${CMAKE_CURRENT_LIST_DIR}/idle_inhibit.cpp
        ${CMAKE_CURRENT_LIST_DIR}/qt_dialogs.cpp
        ${CMAKE_CURRENT_LIST_DIR}/screen_saver.cpp
        ${CMAKE_CURRENT_LIST_DIR}/trash.cpp
        ${CMAKE_CURRENT_LIST_DIR}/x11_display.cpp
    )
endif()
# GIO's headers name struct members `signals`, which Qt defines as a keyword:
# these files include GIO before anything of Qt, so they do without the
# precompiled Qt headers.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/gio_desktop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/trash.cpp PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
