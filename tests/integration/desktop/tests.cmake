# Desktop services on a private session bus (the program starts its own
# dbus-run-session): the idle hold against a stand-in screen saver service,
# and MPRIS seeking on a player on GStreamer (fake sinks).
if(TAVIMO_BUILD_TESTS AND TAVIMO_BUILD_UI)
    add_library(tavimo_private_bus STATIC ${CMAKE_CURRENT_LIST_DIR}/private_bus.cpp)
    target_include_directories(tavimo_private_bus PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(tavimo_private_bus PUBLIC Qt6::DBus)
endif()
tavimo_test(NAME desktop_bus_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_bus_test.cpp
    LIBS tavimo_ui tavimo_private_bus Qt6::Test
    LABELS integration)
