# What the widget-free core needs of the system, QtCore only: files found or planned in a folder
# others share (Result), never through a link, never waiting on a FIFO, read with a bound; locks
# that tell whether their owner lives; the wait for the last moments before a deadline.
# Included by platform/ and by the fuzzers' own build.
set(dir ${CMAKE_CURRENT_LIST_DIR})
add_library(kavr_files STATIC
    ${dir}/FileAccess.h ${dir}/FileAccess.cpp
    ${dir}/FileLock.h ${dir}/FileLock.cpp
    ${dir}/LockContents.h ${dir}/LockContents.cpp
    ${dir}/PreciseWait.h
    # Both platforms' private header, so that it belongs to this target everywhere.
    ${dir}/win32/Win32Files.h
)
if(WIN32)
    target_sources(kavr_files PRIVATE ${dir}/win32/FileAccessWin32.cpp ${dir}/win32/FileLockWin32.cpp
        ${dir}/win32/PreciseWaitWin32.cpp)
    # The private folder's security descriptor.
    target_link_libraries(kavr_files PRIVATE advapi32)
else()
    target_sources(kavr_files PRIVATE ${dir}/posix/FileAccessPosix.cpp ${dir}/posix/FileLockPosix.cpp
        ${dir}/posix/PreciseWaitPosix.cpp)
endif()
target_link_libraries(kavr_files PUBLIC kavr_settings Qt6::Core)
unset(dir)
