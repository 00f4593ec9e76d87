# Translations: the .ts files (complete, their markers kept, up to date with
# the sources), and the program under a pseudo-translation and in German.

if(TAVIMO_BUILD_TESTS AND TAVIMO_BUILD_UI AND TARGET Qt6::lupdate)
    # Every text the sources mark, "translated" as itself behind a marker.
    # The folder is made here: Ninja makes an output's folder, Make does not.
    set(pseudo_dir ${CMAKE_CURRENT_BINARY_DIR}/i18n)
    set(pseudo_ts ${pseudo_dir}/tavimo_pseudo.ts)
    set(pseudo_qm ${pseudo_dir}/tavimo_pseudo.qm)
    add_custom_command(OUTPUT ${pseudo_qm}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${pseudo_dir}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${pseudo_ts}
        COMMAND Qt6::lupdate ${TAVIMO_LUPDATE_OPTIONS} @${TAVIMO_TR_LIST} -ts ${pseudo_ts}
        COMMAND Qt6::lrelease -silent -markuntranslated "‼" ${pseudo_ts} -qm ${pseudo_qm}
        DEPENDS ${TAVIMO_TR_SOURCES} ${TAVIMO_TR_LIST}
        VERBATIM)
    add_custom_target(tavimo_pseudo_translation DEPENDS ${pseudo_qm})
endif()

tavimo_test(NAME translation_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/translation_test.cpp
            ${TAVIMO_TEST_SUPPORT_DIR}/qt_widgets_main.cpp
    LIBS tavimo_ui Qt6::Test
    LABELS integration)
if(TARGET translation_test)
    add_dependencies(translation_test tavimo_pseudo_translation tavimo)
    list(JOIN TAVIMO_LUPDATE_OPTIONS " " options)
    target_compile_definitions(translation_test PRIVATE
        TAVIMO_PSEUDO_QM="${CMAKE_CURRENT_BINARY_DIR}/i18n/tavimo_pseudo.qm"
        TAVIMO_LUPDATE="$<TARGET_FILE:Qt6::lupdate>" TAVIMO_TR_LIST="${TAVIMO_TR_LIST}"
        TAVIMO_LUPDATE_OPTIONS="${options}")
endif()

# The desktop entry and metainfo in every language, valid for their checkers.
if(TAVIMO_BUILD_TESTS AND TAVIMO_BUILD_UI)
    add_test(NAME translated_desktop_files_test
        COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/check_desktop_files.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(translated_desktop_files_test PROPERTIES LABELS integration)
endif()
