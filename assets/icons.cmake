# icon and button glyphs
target_sources(kavr_assets PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Icons.h ${CMAKE_CURRENT_LIST_DIR}/Icons.cpp)
qt_add_resources(kavr_assets "icons" PREFIX "/icons" BASE ${CMAKE_CURRENT_LIST_DIR}/icons FILES
    ${CMAKE_CURRENT_LIST_DIR}/icons/kavr-im.ico
    ${CMAKE_CURRENT_LIST_DIR}/icons/AppIcon.bmp
    ${CMAKE_CURRENT_LIST_DIR}/icons/BtnEnter.bmp
    ${CMAKE_CURRENT_LIST_DIR}/icons/BtnExit.bmp)
