# Installation and the Debian package (scripts/package). The program goes where Debian keeps
# games; the desktop entry, icons, AppStream metainfo and manual page where desktops look.
include(GNUInstallDirs)
set(BOARDWICK_APP_ID org.example.boardwick)
set(BOARDWICK_INSTALL_GAMESDIR games CACHE STRING "Folder under the prefix for the program")
set(pkgdir "${CMAKE_CURRENT_LIST_DIR}")
set(docdir "${CMAKE_INSTALL_DATADIR}/doc/boardwick")

install(TARGETS boardwick RUNTIME DESTINATION ${BOARDWICK_INSTALL_GAMESDIR})
install(FILES resources/desktop/boardwick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128)
    install(FILES resources/icons/boardwick-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME boardwick.png)
endforeach()
install(FILES "${pkgdir}/${BOARDWICK_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${pkgdir}/copyright" DESTINATION ${docdir})

# Debian wants the manual page and the changelog compressed, without a time stamp.
function(boardwick_gzip source output)
    add_custom_command(OUTPUT "${output}"
        COMMAND gzip -9nc "${source}" > "${output}"
        DEPENDS "${source}" VERBATIM)
endfunction()
set(gz "${CMAKE_BINARY_DIR}/packaging")
file(MAKE_DIRECTORY "${gz}")
boardwick_gzip("${pkgdir}/boardwick.6" "${gz}/boardwick.6.gz")
boardwick_gzip("${pkgdir}/changelog" "${gz}/changelog.gz")
add_custom_target(boardwick_compressed_docs ALL DEPENDS "${gz}/boardwick.6.gz" "${gz}/changelog.gz")
install(FILES "${gz}/boardwick.6.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES "${gz}/changelog.gz" DESTINATION ${docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME boardwick)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Boardwick developers <boardwick@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess for two players over a direct network connection")
# The summary is the package's synopsis; this text follows it as the extended description.
set(CPACK_PACKAGE_DESCRIPTION "Boardwick shows a chess board, two clocks, the move list and a chat window.
One player connects to the other's address; the programs then check every
move against the rules, run both clocks and carry the chat between them.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://boardwick.example.org/")
# Run-time libraries come from the binary itself (dpkg-shlibdeps); the labels' font is a suggestion.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
