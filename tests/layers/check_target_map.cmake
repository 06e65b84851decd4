# The map check: cmake -D MANIFEST=<layers.cmake> -D MAP=<docs/DEVELOPING.md> -P check_target_map.cmake
cmake_minimum_required(VERSION 3.25)
#
# Every target of the build is named in the developers' map, the section "Layout of the source"
# of DEVELOPING.md, so that no library, program or tool is added without a place on it. A test
# program (test_…) may be named by a pattern there instead, a name with a * (`test_core_*`); a
# pattern never stands for a library or a tool. The objects qt_add_resources makes for a target
# (<target>_resources_<n>) go with their target.
include(${MANIFEST})

file(READ ${MAP} text)
set(heading "\n## Layout of the source\n")
string(FIND "${text}" "${heading}" start)
if(start EQUAL -1)
    message(FATAL_ERROR "${MAP}: no section \"Layout of the source\"")
endif()
string(LENGTH "${heading}" length)
math(EXPR start "${start} + ${length}")
string(SUBSTRING "${text}" ${start} -1 section)
string(FIND "${section}" "\n## " end)
string(SUBSTRING "${section}" 0 ${end} section)

# The names the map holds: runs of the characters a target's name is made of.
string(REGEX MATCHALL "[A-Za-z0-9_*-]+" names "${section}")
set(patterns)
foreach(name IN LISTS names)
    if(name MATCHES "^test_.*\\*")
        string(REPLACE "*" ".*" pattern "${name}")
        list(APPEND patterns "^${pattern}$")
    endif()
endforeach()

set(missing)
set(checked 0)
foreach(target IN LISTS KAVR_TARGETS)
    if(target MATCHES "^(.+)_resources_[0-9]+$" AND CMAKE_MATCH_1 IN_LIST KAVR_TARGETS)
        continue()
    endif()
    math(EXPR checked "${checked} + 1")
    if(target IN_LIST names)
        continue()
    endif()
    set(covered FALSE)
    if(target MATCHES "^test_" AND KAVR_${target}_TYPE STREQUAL "EXECUTABLE")
        foreach(pattern IN LISTS patterns)
            if(target MATCHES "${pattern}")
                set(covered TRUE)
                break()
            endif()
        endforeach()
    endif()
    if(NOT covered)
        list(APPEND missing ${target})
    endif()
endforeach()

if(missing)
    list(JOIN missing "\n  " shown)
    message(FATAL_ERROR "Not in the map of ${MAP} (\"Layout of the source\"):\n  ${shown}")
endif()
message(STATUS "${checked} targets, each named in the map")
