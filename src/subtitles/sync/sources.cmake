# Matching subtitles to the clip's speech: plain C++ over two 10 ms signals,
# with FFTW for the cross-correlation.
pkg_check_modules(FFTW3 REQUIRED IMPORTED_TARGET fftw3f)
target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/sync_signal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_correlate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_split.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_onset.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_onset_find.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_onset_parts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_joins.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_align.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_input.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sync_memory.cpp
)
target_link_libraries(tavimo_core PUBLIC PkgConfig::FFTW3)
