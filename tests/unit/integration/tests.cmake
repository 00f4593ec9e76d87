# Folder steps, file-type registration and the help and update addresses, on
# real folders with the desktop's answers scripted.
tavimo_test(NAME integration_files_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/files_test.cpp
    LIBS tavimo_core
    LABELS unit)
