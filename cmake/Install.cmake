# `cmake --install`: the program, its demo songs and the desktop's files under one prefix.
# An installed player finds its data in <prefix>/share/veskmidi and keeps its settings in
# the user's configuration folder.
include(GNUInstallDirs)

install(TARGETS veskmidi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/demo/demo.mlt ${CMAKE_SOURCE_DIR}/demo/night_drive.mid
              ${CMAKE_SOURCE_DIR}/demo/ode_to_joy.mid ${CMAKE_SOURCE_DIR}/demo/sakura.mid
              ${CMAKE_SOURCE_DIR}/demo/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/veskmidi/demo)
install(DIRECTORY ${VESK_DESKTOP_SHARE}/ DESTINATION ${CMAKE_INSTALL_DATADIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/io.github.veskmidi.VeskMidiPlayer.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# `make package`: a Debian package of the same installation under /usr. Library
# dependencies come from dpkg-shlibdeps; a SoundFont and Japanese fonts are what the
# player needs at run time besides them. The MIME, desktop and icon caches are refreshed
# by the triggers of the packages that own them, activated by this package's files.
set(VESK_DEB_DOC ${CMAKE_BINARY_DIR}/deb-doc)
add_custom_command(
  OUTPUT ${VESK_DEB_DOC}/changelog.gz ${VESK_DEB_DOC}/veskmidi.1.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VESK_DEB_DOC}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/data/deb/changelog > ${VESK_DEB_DOC}/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/data/veskmidi.1 > ${VESK_DEB_DOC}/veskmidi.1.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/data/deb/changelog ${CMAKE_SOURCE_DIR}/data/veskmidi.1)
add_custom_target(deb_doc ALL DEPENDS ${VESK_DEB_DOC}/changelog.gz ${VESK_DEB_DOC}/veskmidi.1.gz)
install(FILES ${CMAKE_SOURCE_DIR}/data/deb/copyright ${VESK_DEB_DOC}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${VESK_DEB_DOC}/veskmidi.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veskmidi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VESK MIDI PLAYER developers <veskmidi@users.noreply.github.com>")
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
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/veskmidi/veskmidi")
include(CPack)
