# render-icon: the PNG application icons from the SVG, at build time.
if(TAVIMO_BUILD_UI)
    add_executable(render-icon ${CMAKE_CURRENT_LIST_DIR}/render_icon.cpp)
    target_link_libraries(render-icon PRIVATE Qt6::Gui Qt6::Svg)
endif()
