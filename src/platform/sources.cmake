target_sources(tavimo_core PRIVATE
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
    )
endif()
