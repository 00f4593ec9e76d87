# One Next File step across a folder of 5,000 files, with the desktop's real
# answers (GIO, shared-mime-info) in a private XDG folder.
add_executable(folder_step_bench ${CMAKE_CURRENT_LIST_DIR}/folder_step_bench.cpp)
target_link_libraries(folder_step_bench PRIVATE tavimo_ui benchmark::benchmark)
