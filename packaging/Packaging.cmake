# Installation and the Debian package. `cmake --install <build>` puts the files where the
# package does; `cpack -G DEB` in the build folder makes kavr-im_<version>_<arch>.deb with
#   /opt/kavr-im/kavr-im, kavr-im-report          the program and the results report
#   /opt/kavr-im/Result/                           the protocols (postinst: group users, 2775)
#   /usr/share/applications/kavr-im.desktop        the desktop menu entries: the program, and
#   /usr/share/applications/kavr-im-report.desktop the report as a window
#   /usr/share/icons/hicolor/32x32/apps/kavr-im.png   its icon, made from the program's icon
# Its dependencies come from dpkg-shlibdeps (packages dpkg-dev and file), plus the Qt platform
# plugins, which no library links.
if(NOT UNIX OR APPLE)
    return()
endif()

set(KAVR_INSTALL_DIR /opt/kavr-im)

add_executable(kavr_make_icon_png ${CMAKE_CURRENT_LIST_DIR}/make_icon_png.cpp)
target_link_libraries(kavr_make_icon_png PRIVATE kavr_settings Qt6::Gui)
set(KAVR_ICON_PNG ${CMAKE_BINARY_DIR}/packaging/kavr-im.png)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${KAVR_ICON_PNG}
    COMMAND kavr_make_icon_png ${CMAKE_SOURCE_DIR}/assets/icons/kavr-im.ico ${KAVR_ICON_PNG}
    DEPENDS kavr_make_icon_png ${CMAKE_SOURCE_DIR}/assets/icons/kavr-im.ico
    COMMENT "Making the desktop entry's icon")
add_custom_target(kavr_desktop_icon ALL DEPENDS ${KAVR_ICON_PNG})

# Every library comes from the system: no run path into /opt (qt_standard_project_setup would
# give $ORIGIN and $ORIGIN/../lib).
set_target_properties(kavr-im kavr-im-report PROPERTIES INSTALL_RPATH "")
install(TARGETS kavr-im kavr-im-report RUNTIME DESTINATION ${KAVR_INSTALL_DIR})
install(DIRECTORY DESTINATION ${KAVR_INSTALL_DIR}/Result)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kavr-im.desktop ${CMAKE_CURRENT_LIST_DIR}/kavr-im-report.desktop
    DESTINATION /usr/share/applications)
install(FILES ${KAVR_ICON_PNG} DESTINATION /usr/share/icons/hicolor/32x32/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavr-im)
set(CPACK_PACKAGE_VENDOR KAVR.IM)
set(CPACK_PACKAGE_CONTACT "KAVR.IM maintainers <kavr-im@localhost>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test of short-term figurative memory")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KAVR.IM shows a subject twelve figures on numbered panels for 30 seconds; the\n"
    "subject then has 60 seconds to put each back. The placements are scored and a\n"
    "protocol is written into /opt/kavr-im/Result. kavr-im-report puts the\n"
    "protocols of that folder side by side: in a window from the desktop menu, as\n"
    "CSV tables, an Excel workbook and HTML pages.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
