tavimo_test(NAME settings_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/../mixer/qt_test_main.cpp
    LIBS tavimo_core
    LABELS unit)
