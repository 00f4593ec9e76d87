target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/player_record.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
    )
endif()
