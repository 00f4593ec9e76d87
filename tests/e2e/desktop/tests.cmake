tavimo_e2e_test(NAME desktop_e2e_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_e2e_test.cpp
    DEPENDS demo_clip)
if(TARGET desktop_e2e_test)
    target_link_libraries(desktop_e2e_test PRIVATE tavimo_private_bus)
endif()
