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
