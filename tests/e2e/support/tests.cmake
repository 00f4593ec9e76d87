if(TAVIMO_BUILD_TESTS AND TAVIMO_BUILD_UI)
    add_library(tavimo_e2e_support STATIC ${CMAKE_CURRENT_LIST_DIR}/x_session.cpp
        ${CMAKE_CURRENT_LIST_DIR}/sound_server.cpp)
    target_include_directories(tavimo_e2e_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(tavimo_e2e_support PUBLIC tavimo_core Qt6::Gui)
    target_compile_definitions(tavimo_e2e_support PRIVATE TAVIMO_BUILD_DIR="${CMAKE_BINARY_DIR}")
endif()
