# sounds: the two WAVE files, their chunk reader and their decoder
target_sources(kavr_assets PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/RiffChunks.h ${CMAKE_CURRENT_LIST_DIR}/RiffChunks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SoundBank.h ${CMAKE_CURRENT_LIST_DIR}/SoundBank.cpp)
qt_add_resources(kavr_assets "sounds" PREFIX "/sounds" BASE ${CMAKE_CURRENT_LIST_DIR}/sounds FILES
    ${CMAKE_CURRENT_LIST_DIR}/sounds/ID_START.wav
    ${CMAKE_CURRENT_LIST_DIR}/sounds/ID_FINISH.wav)
