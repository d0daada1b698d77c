# Installs the build into a scratch root and checks that the program, its desktop entry, icons,
# metainfo and manual page land where desktops and man look for them.
set(root "${BUILD_DIR}/install-check")
file(REMOVE_RECURSE "${root}")
set(ENV{DESTDIR} "${root}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix /usr RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f games/boardwick share/applications/boardwick.desktop
          share/icons/hicolor/16x16/apps/boardwick.png share/icons/hicolor/128x128/apps/boardwick.png
          share/metainfo/org.example.boardwick.metainfo.xml share/man/man6/boardwick.6.gz
          share/doc/boardwick/copyright share/doc/boardwick/changelog.gz)
    if(NOT EXISTS "${root}/usr/${f}")
        message(FATAL_ERROR "missing after install: /usr/${f}")
    endif()
endforeach()
file(STRINGS "${root}/usr/share/applications/boardwick.desktop" entry)
foreach(line "Exec=boardwick" "Icon=boardwick" "Type=Application")
    list(FIND entry "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks ${line}")
    endif()
endforeach()
message(STATUS "install layout ok")
