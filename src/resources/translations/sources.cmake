# The program's translations: one .ts per language in this folder, where the
# translators work (Qt Linguist), kept up to date with the sources by
# `cmake --build build --target update_translations` (lupdate), built into .qm
# files by lrelease and embedded under :/i18n.
# TrText("Context", "text") is lupdate's translate() under another name.
set(TAVIMO_LANGUAGES de fr es pl pt_BR ru it cs)
set(TAVIMO_LUPDATE_OPTIONS -locations none -tr-function-alias translate+=TrText -silent)
set(TAVIMO_TS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TAVIMO_TS_FILES)
foreach(language IN LISTS TAVIMO_LANGUAGES)
    list(APPEND TAVIMO_TS_FILES ${TAVIMO_TS_DIR}/tavimo_${language}.ts)
endforeach()
# Every source lupdate reads, in a fixed order so that its output is stable.
file(GLOB_RECURSE TAVIMO_TR_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
list(SORT TAVIMO_TR_SOURCES)
# The same list for lupdate's @file argument (the tests run lupdate on it);
# rewritten only when it changes.
list(JOIN TAVIMO_TR_SOURCES "\n" tavimo_tr_lines)
set(TAVIMO_TR_LIST ${CMAKE_BINARY_DIR}/i18n/sources.lst)
file(CONFIGURE OUTPUT ${TAVIMO_TR_LIST} CONTENT "-I${CMAKE_SOURCE_DIR}/src\n${tavimo_tr_lines}\n" @ONLY)

if(TAVIMO_BUILD_UI)
    find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
    qt_add_translations(tavimo_ui
        TS_FILES ${TAVIMO_TS_FILES}
        SOURCES ${TAVIMO_TR_SOURCES}
        INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/src
        RESOURCE_PREFIX /i18n
        LUPDATE_OPTIONS ${TAVIMO_LUPDATE_OPTIONS})
endif()
