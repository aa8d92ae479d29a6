# Installs the program as a desktop program (GNUInstallDirs layout) and packs it as a Debian package.
#   cmake --install build [--prefix /opt/x]      DESTDIR=... cmake --install build
#   cpack -G DEB (run by scripts/package.sh)
set(QB_PACKAGING_DIR "${CMAKE_SOURCE_DIR}/packaging")
set(QB_DATA_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/quillbook")
set(QB_DOC_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/doc/quillbook")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS quillbook RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# quillbook-pack installs itself from tools/quillbook-pack.

# The whole data folder, so that files added to it later ship without a new rule.
install(DIRECTORY data/ DESTINATION ${QB_DATA_INSTALL_DIR})

install(FILES ${QB_PACKAGING_DIR}/quillbook.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QB_PACKAGING_DIR}/quillbook-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quillbook.xml)
install(FILES ${QB_PACKAGING_DIR}/io.github.quillbook.Quillbook.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QB_PACKAGING_DIR}/icons/quillbook.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${QB_PACKAGING_DIR}/icons/quillbook-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillbook.png)
endforeach()

# Manual pages and the changelog are shipped compressed, without a time stamp in the gzip header.
find_program(QB_GZIP gzip REQUIRED)
set(_qb_gz_files)
foreach(page quillbook.1 quillbook-pack.1)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${page}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
                     COMMAND ${QB_GZIP} -9 -n -c ${QB_PACKAGING_DIR}/man/${page} > ${CMAKE_BINARY_DIR}/packaging/${page}.gz
                     DEPENDS ${QB_PACKAGING_DIR}/man/${page} VERBATIM)
  list(APPEND _qb_gz_files ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
                   COMMAND ${QB_GZIP} -9 -n -c ${QB_PACKAGING_DIR}/debian/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   DEPENDS ${QB_PACKAGING_DIR}/debian/changelog VERBATIM)
list(APPEND _qb_gz_files ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(qb_packaging_files ALL DEPENDS ${_qb_gz_files})
# quillbook-pack --help points publishers to the container format description.
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${QB_PACKAGING_DIR}/debian/copyright
              ${CMAKE_SOURCE_DIR}/docs/container-format.md
        DESTINATION ${QB_DOC_INSTALL_DIR})

# Debian package. The MIME, desktop, icon and manual databases are refreshed by the
# file triggers of shared-mime-info, desktop-file-utils, the icon cache and man-db,
# so the package needs no maintainer scripts of its own.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "quillbook")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Quillbook developers")
set(CPACK_PACKAGE_CONTACT "The Quillbook developers <quillbook@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-first reader of newspapers and books in XML")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillbook reads newspapers, magazines and books delivered as XML, ZIP or
encrypted document packages. It is made for people who are blind or have
low vision and read with the keyboard, a screen magnifier and a screen reader:
sections and articles are reached with single keys, short sounds mark the way,
and a library, bookmarks and annotations are kept.
.
The package also holds quillbook-pack, the publishers' tool that makes the
ZIP and encrypted packages.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "text")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The cue sounds go through the GStreamer back end, and reading aloud through
# the speech-dispatcher plugin of Qt TextToSpeech, both loaded at run time, so
# the shared-library scan cannot see them. Without them the program still runs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-good, shared-mime-info, desktop-file-utils, hicolor-icon-theme, qt6-speech-speechd-plugin, speech-dispatcher")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
