if(TAVIMO_BUILD_UI AND TAVIMO_BUILD_TESTS)
    pkg_check_modules(GSTCHECK REQUIRED IMPORTED_TARGET gstreamer-check-1.0)
endif()
tavimo_test(NAME mixer_element_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/mixer_element_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/../../unit/mixer/qt_test_main.cpp
    LIBS tavimo_ui PkgConfig::GSTCHECK
    LABELS integration)
