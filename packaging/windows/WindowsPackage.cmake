# The Windows package: both executables with version information and the icon, stripped, and
# the zip the laboratory unpacks:
#   KAVR.IM-<version>-win64.zip
#     KAVR.IM/kavr-im.exe, kavr-im-report.exe   one file each, no DLLs beside them, run from
#                                                the swap file when started from a share
#     KAVR.IM/kavr-im-report.com                 the report's console twin (console-twin.py)
#     KAVR.IM/Result/                            where the protocols go
#     KAVR.IM/README.txt                         how to start and where to look, in Russian
# `cmake --build <build> --target kavr_windows_zip` makes it (packaging/windows/build.sh does).

# Debian's Python, which has Debian's pefile (python3-pefile), whatever python3 is first on PATH.
find_program(KAVR_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# "2.01" -> "2,1,0,0" for the binary version fields.
string(REPLACE "." ";" kavr_version_parts "${PROJECT_VERSION}.0.0.0")
list(SUBLIST kavr_version_parts 0 4 kavr_version_parts)
set(kavr_version_numbers)
foreach(part IN LISTS kavr_version_parts)
    math(EXPR part "${part}")
    list(APPEND kavr_version_numbers ${part})
endforeach()
string(REPLACE ";" "," KAVR_RC_VERSION "${kavr_version_numbers}")

# kavr_windows_version(<target> <description> [ICON]): a VERSIONINFO resource (and the icon,
# for a program whose other resources do not carry it) linked into the target.
function(kavr_windows_version target description)
    get_target_property(KAVR_RC_NAME ${target} OUTPUT_NAME)
    if(NOT KAVR_RC_NAME)
        set(KAVR_RC_NAME ${target})
    endif()
    set(KAVR_RC_FILE ${KAVR_RC_NAME}.exe)
    set(KAVR_RC_DESCRIPTION ${description})
    set(KAVR_RC_ICON "")
    if(ARGN STREQUAL "ICON")
        set(KAVR_RC_ICON "MAINICON ICON \"${CMAKE_SOURCE_DIR}/assets/icons/kavr-im.ico\"")
    endif()
    set(rc ${CMAKE_BINARY_DIR}/packaging/windows/${target}-version.rc)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    # Stripped: the package carries no symbols.
    target_link_options(${target} PRIVATE -s)
endfunction()

# kavr-im.exe has its icon from platform/desktop/kavr-im.rc, beside the sounds.
kavr_windows_version(kavr-im "KAVR.IM: диагностика кратковременной образной памяти")
kavr_windows_version(kavr-im-report "KAVR.IM: сводка протоколов" ICON)

set(kavr_zip ${CMAKE_BINARY_DIR}/KAVR.IM-${PROJECT_VERSION}-win64.zip)
set(kavr_stage ${CMAKE_BINARY_DIR}/packaging/windows/stage)
# Notepad and every Windows editor read it as UTF-8 by its byte-order mark.
set(kavr_readme ${CMAKE_BINARY_DIR}/packaging/windows/README.txt)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${kavr_readme} @ONLY NEWLINE_STYLE CRLF)

add_custom_command(OUTPUT ${kavr_zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${kavr_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${kavr_stage}/KAVR.IM/Result
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kavr-im> $<TARGET_FILE:kavr-im-report>
            ${kavr_readme} ${kavr_stage}/KAVR.IM/
    COMMAND ${KAVR_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/console-twin.py
            ${kavr_stage}/KAVR.IM/kavr-im-report.exe ${kavr_stage}/KAVR.IM/kavr-im-report.com
    # Copied to the swap file when started from a share or a USB stick (run-from-swap.py).
    COMMAND ${KAVR_SYSTEM_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/run-from-swap.py
            ${kavr_stage}/KAVR.IM/kavr-im.exe ${kavr_stage}/KAVR.IM/kavr-im-report.exe
            ${kavr_stage}/KAVR.IM/kavr-im-report.com
    COMMAND ${CMAKE_COMMAND} -E rm -f ${kavr_zip}
    COMMAND ${CMAKE_COMMAND} -E chdir ${kavr_stage} ${CMAKE_COMMAND} -E tar cf ${kavr_zip}
            --format=zip KAVR.IM
    DEPENDS kavr-im kavr-im-report ${kavr_readme} ${CMAKE_CURRENT_LIST_DIR}/run-from-swap.py
            ${CMAKE_CURRENT_LIST_DIR}/console-twin.py
    COMMENT "Packing ${kavr_zip}")
add_custom_target(kavr_windows_zip DEPENDS ${kavr_zip})
