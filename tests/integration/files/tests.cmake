# The real GIO registration in a private XDG sandbox, and the About and Enter
# URL dialogs offscreen.
tavimo_test(NAME integration_files_gio_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/desktop_gio_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/dialogs_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_widgets_main.cpp
    LIBS tavimo_ui tavimo_e2e_support Qt6::Test
    LABELS integration)
# GIO before Qt (its structs have members named `signals`).
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/desktop_gio_test.cpp
    PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
