# `cmake --install`: the program, its demo songs and the desktop's files under one prefix.
# An installed player finds its data in <prefix>/share/veskmidi and keeps its settings in
# the user's configuration folder.
include(GNUInstallDirs)

# What only the project's owner can state: who publishes the player, where it lives and
# under which licence. The package, its copyright and changelog files and the AppStream
# metadata all take these values from here. Until the owner sets them (here or with
# -DVESK_...=), the defaults are placeholders that say so and still pass appstreamcli and
# lintian; the ".invalid" addresses can never reach anyone.
set(VESK_OWNER_NAME "Unnamed VESK MIDI PLAYER owner"
    CACHE STRING "Who publishes the player: AppStream developer, copyright holder, maintainer")
set(VESK_OWNER_EMAIL "owner-not-yet-named@example.invalid"
    CACHE STRING "The maintainer's address in the package and its changelog")
set(VESK_HOMEPAGE_URL "https://example.invalid/veskmidi"
    CACHE STRING "The project's home page and source")
set(VESK_SCREENSHOT_URL "https://example.invalid/veskmidi/main-window.png"
    CACHE STRING "Where software centres fetch the main window's picture (docs/main-window.png)")
set(VESK_COPYRIGHT_YEARS "2026" CACHE STRING "The years of the copyright statement")
set(VESK_LICENSE_ID "LicenseRef-not-yet-stated"
    CACHE STRING "The licence as an SPDX expression (for example GPL-3.0-or-later)")
set(VESK_LICENSE_TEXT
    "The owner of VESK MIDI PLAYER has not yet stated the licence it is distributed under."
    CACHE STRING "The licence's text or a pointer to it, on one line")

set(VESK_METAINFO ${CMAKE_BINARY_DIR}/data/io.github.veskmidi.VeskMidiPlayer.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/data/io.github.veskmidi.VeskMidiPlayer.metainfo.xml.in
               ${VESK_METAINFO} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/deb/copyright.in ${CMAKE_BINARY_DIR}/data/deb/copyright
               @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/deb/changelog.in ${CMAKE_BINARY_DIR}/data/deb/changelog
               @ONLY)

install(TARGETS veskmidi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/demo/demo.mlt ${CMAKE_SOURCE_DIR}/demo/night_drive.mid
              ${CMAKE_SOURCE_DIR}/demo/ode_to_joy.mid ${CMAKE_SOURCE_DIR}/demo/sakura.mid
              ${CMAKE_SOURCE_DIR}/demo/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/veskmidi/demo)
install(DIRECTORY ${VESK_DESKTOP_SHARE}/ DESTINATION ${CMAKE_INSTALL_DATADIR})
install(FILES ${VESK_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# `make package`: a Debian package of the same installation under /usr. Library
# dependencies come from dpkg-shlibdeps; a SoundFont and Japanese fonts are what the
# player needs at run time besides them. The MIME, desktop and icon caches are refreshed
# by the triggers of the packages that own them, activated by this package's files.
set(VESK_DEB_DOC ${CMAKE_BINARY_DIR}/deb-doc)
add_custom_command(
  OUTPUT ${VESK_DEB_DOC}/changelog.gz ${VESK_DEB_DOC}/veskmidi.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VESK_DEB_DOC}
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/data/deb/changelog > ${VESK_DEB_DOC}/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/data/veskmidi.1 > ${VESK_DEB_DOC}/veskmidi.1.gz
  DEPENDS ${CMAKE_BINARY_DIR}/data/deb/changelog ${CMAKE_SOURCE_DIR}/data/veskmidi.1)
add_custom_target(deb_doc ALL DEPENDS ${VESK_DEB_DOC}/changelog.gz ${VESK_DEB_DOC}/veskmidi.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/data/deb/copyright ${VESK_DEB_DOC}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${VESK_DEB_DOC}/veskmidi.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veskmidi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VESK_OWNER_NAME} <${VESK_OWNER_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI file player with a Japanese user interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Plays Standard MIDI Files, PC-98 Recomposer songs and LZH, ZIP and RAR\n\
archives of them through the built-in FluidSynth synthesizer or GS/XG\n\
sound modules, with play lists, repeat modes and double or half speed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fluid-soundfont-gm | timgm6mb-soundfont | musescore-general-soundfont-small, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/data/deb/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VESK_HOMEPAGE_URL}")
include(CPack)
