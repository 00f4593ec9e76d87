tavimo_test(NAME shell_e2e_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_e2e_test.cpp
    LIBS tavimo_ui tavimo_e2e_support
    LABELS e2e)
if(TARGET shell_e2e_test)
    add_dependencies(shell_e2e_test tavimo)
    set_tests_properties(shell_e2e_test PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
