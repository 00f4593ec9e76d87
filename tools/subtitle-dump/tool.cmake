# subtitle-dump FILE: prints the entries the player's readers find in a file.
add_executable(subtitle-dump ${CMAKE_CURRENT_LIST_DIR}/subtitle_dump.cpp)
target_link_libraries(subtitle-dump PRIVATE tavimo_core)
