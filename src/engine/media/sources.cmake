target_sources(tavimo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/dvb_pages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hresult.cpp
    ${CMAKE_CURRENT_LIST_DIR}/media.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mp4_chapters.cpp
    ${CMAKE_CURRENT_LIST_DIR}/night_dsp.cpp
)
if(TAVIMO_BUILD_UI)
    # glimagesink is taken only where OpenGL draws in hardware: the probe asks
    # the GL renderer's name, through GStreamer's OpenGL library loaded when
    # the probe runs (gst_sink_probe.cpp): its headers only, not linked.
    pkg_check_modules(GSTGL REQUIRED gstreamer-gl-1.0)
    target_sources(tavimo_ui PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/gst_filter_properties.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_filter_walk.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_filters.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_graph.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_graph_events.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_graph_states.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_chapters.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_deinterlace.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_audio_delay.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_night_mode.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_graph_step.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_seek_landing.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_tracks_ahead.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_cue_preroll.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_media.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_late_frames.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_renderer.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_sink_probe.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_source.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_decoder_probes.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_streams.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_tracks.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_tracks_cues.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_tracks_pictures.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_current_image.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_thumbnails.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_upright.cpp
        ${CMAKE_CURRENT_LIST_DIR}/audio_output.cpp
        ${CMAKE_CURRENT_LIST_DIR}/avcodec_audio_decoder.cpp
        ${CMAKE_CURRENT_LIST_DIR}/avcodec_decoders.cpp
        ${CMAKE_CURRENT_LIST_DIR}/avcodec_video_decoder.cpp
        ${CMAKE_CURRENT_LIST_DIR}/avcodec_video_direct.cpp
        ${CMAKE_CURRENT_LIST_DIR}/avcodec_video_output.cpp
        ${CMAKE_CURRENT_LIST_DIR}/avcodec_video_properties.cpp
        ${CMAKE_CURRENT_LIST_DIR}/swscale_convert.cpp
        ${CMAKE_CURRENT_LIST_DIR}/swscale_caps.cpp
        ${CMAKE_CURRENT_LIST_DIR}/swscale_frames.cpp
        ${CMAKE_CURRENT_LIST_DIR}/swscale_bands.cpp
        ${CMAKE_CURRENT_LIST_DIR}/swscale_halve.cpp
        ${CMAKE_CURRENT_LIST_DIR}/swscale_pool.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_speech_listener.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_speech_listener_pipeline.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_speech_source.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gst_cue_reader.cpp
    )
    target_include_directories(tavimo_ui SYSTEM PRIVATE ${GSTGL_INCLUDE_DIRS})
    target_compile_options(tavimo_ui PRIVATE ${GSTGL_CFLAGS_OTHER})
    target_link_libraries(tavimo_ui PUBLIC ${CMAKE_DL_LIBS})
    # The display's colour converter (swscale_convert.cpp) and our H.264 and
    # AAC decoders (avcodec_*_decoder.cpp).
    pkg_check_modules(SWSCALE REQUIRED IMPORTED_TARGET libswscale libavcodec libavutil)
    target_link_libraries(tavimo_ui PUBLIC PkgConfig::SWSCALE)
endif()
