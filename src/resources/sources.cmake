target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/resources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/translate.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/icons/icons.qrc
    )
endif()
