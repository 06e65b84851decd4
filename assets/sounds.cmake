# sounds: the two WAVE files, their chunk reader and their decoder
target_sources(kavr_assets PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RiffChunks.h ${CMAKE_CURRENT_LIST_DIR}/RiffChunks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SoundBank.h)
# Windows plays the WAVE resources of the executable itself (platform/desktop/kavr-im.rc); the
# decoder and the copies in Qt's resources serve the other platforms' player.
if(NOT WIN32)
    target_sources(kavr_assets PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SoundBank.cpp)
    target_link_libraries(kavr_assets PRIVATE PkgConfig::SNDFILE)
    qt_add_resources(kavr_assets "sounds" PREFIX "/sounds" BASE ${CMAKE_CURRENT_LIST_DIR}/sounds FILES
        ${CMAKE_CURRENT_LIST_DIR}/sounds/ID_START.wav
        ${CMAKE_CURRENT_LIST_DIR}/sounds/ID_FINISH.wav)
endif()
