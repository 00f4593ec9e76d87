# The Debian package, unpacked into a temporary root.
if(TAVIMO_BUILD_TESTS AND TAVIMO_BUILD_UI)
    add_test(NAME package_deb_test
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_deb.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(package_deb_test PROPERTIES LABELS integration RUN_SERIAL TRUE)
endif()
