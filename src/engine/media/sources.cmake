target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/hresult.cpp
    ${CMAKE_CURRENT_LIST_DIR}/media.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fake_media.cpp
)
if(TAVIMO_BUILD_UI)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/gst_media.cpp
    )
endif()
