target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/view_geometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_fit.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/tavimo_view.cpp
        ${CMAKE_CURRENT_LIST_DIR}/full_screen.cpp
        ${CMAKE_CURRENT_LIST_DIR}/frame_fit.cpp
        ${CMAKE_CURRENT_LIST_DIR}/sliders.cpp
        ${CMAKE_CURRENT_LIST_DIR}/seek_preview.cpp
    )
endif()
