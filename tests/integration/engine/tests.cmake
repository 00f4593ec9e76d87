# The engine on GStreamer with clips made at test time (fake sinks, no display).
tavimo_test(NAME engine_gst_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_gst_test.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
# The picture in the view's native surface, under an Xvfb of its own.
if(TAVIMO_XVFB)
    tavimo_test(NAME engine_x11_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine_x11_test.cpp
        LIBS tavimo_ui tavimo_e2e_support Qt6::Test
        LABELS integration)
endif()
# The Filters menu and the settings dialog over real pipelines (fake sinks).
tavimo_test(NAME filters_menu_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/filters_menu_test.cpp
    LIBS tavimo_ui
    LABELS integration)
