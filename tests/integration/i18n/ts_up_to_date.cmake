# Fails when a .ts file is not what lupdate makes of the sources now (a text
# added, changed or dropped without `update_translations`), or when one of
# them leaves a text untranslated.
#   cmake -DLUPDATE=... -DLIST=sources.lst -DOPTIONS=... -DTS_FILES=a.ts;b.ts -DWORK=dir -P this
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(failures "")
foreach(ts IN LISTS TS_FILES)
    get_filename_component(name ${ts} NAME)
    configure_file(${ts} ${WORK}/${name} COPYONLY)
    execute_process(COMMAND ${LUPDATE} ${OPTIONS} @${LIST} -ts ${WORK}/${name}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        string(APPEND failures "lupdate failed on ${name}: ${out}\n")
        continue()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ts} ${WORK}/${name}
        RESULT_VARIABLE differs)
    if(differs)
        execute_process(COMMAND diff -u ${ts} ${WORK}/${name} OUTPUT_VARIABLE delta)
        string(APPEND failures "${name} is not up to date with the sources "
            "(cmake --build build --target update_translations, then translate):\n${delta}\n")
    endif()
    file(STRINGS ${ts} unfinished REGEX "type=\"unfinished\"")
    list(LENGTH unfinished count)
    if(count GREATER 0)
        string(APPEND failures "${name}: ${count} text(s) not translated\n")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
message(STATUS "every .ts file is up to date and complete")
