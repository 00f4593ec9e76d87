# The web address of Tavimo's maker: the About box's button and the update
# check (<address>/Tavimo/version.cgi?v=30). The default is a reserved example
# domain, so an unconfigured build never reaches a real site.
set(TAVIMO_MAKER_ADDRESS "https://www.example.org" CACHE STRING
    "The maker's web address, shown in the About box and used by Check For Update")

target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/folder_navigation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_type_access.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_update.cpp
)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/help_update.cpp PROPERTIES
    COMPILE_DEFINITIONS "TAVIMO_MAKER_ADDRESS=\"${TAVIMO_MAKER_ADDRESS}\"")
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
        ${CMAKE_CURRENT_LIST_DIR}/open_url_dialog.cpp
        ${CMAKE_CURRENT_LIST_DIR}/integration_commands.cpp
        ${CMAKE_CURRENT_LIST_DIR}/../resources/about/about.qrc
        ${CMAKE_CURRENT_LIST_DIR}/mpris.cpp
    )
endif()

# The MimeType list of Tavimo's own desktop entry, built in: a program run
# from its build folder, with no entry installed, walks a folder's files of
# those types.
foreach(entry tavimo.desktop tavimo.desktop.in)
    set(entry ${PROJECT_SOURCE_DIR}/data/${entry})
    if(EXISTS ${entry})
        file(STRINGS ${entry} TAVIMO_OWN_ENTRY_TYPES REGEX "^MimeType=")
        string(REGEX REPLACE "^MimeType=" "" TAVIMO_OWN_ENTRY_TYPES "${TAVIMO_OWN_ENTRY_TYPES}")
        string(REPLACE "\\;" ";" TAVIMO_OWN_ENTRY_TYPES "${TAVIMO_OWN_ENTRY_TYPES}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${entry})
        break()
    endif()
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/integration/own_entry_types.h
    CONTENT "#define TAVIMO_OWN_ENTRY_TYPES \"@TAVIMO_OWN_ENTRY_TYPES@\"\n" @ONLY)
target_include_directories(tavimo_core PRIVATE ${CMAKE_BINARY_DIR}/generated)
