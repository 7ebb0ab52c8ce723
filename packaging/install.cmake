# How the game installs like any other: the programs, the data set (data/CMakeLists.txt), a
# desktop entry with its AppStream description and icons, a manual page per program, and the
# game server's systemd unit and configuration. Included after every program's target is
# defined: a program that this tree does not build is left out with its page and files.
#
# Nothing installed carries the prefix in it except the server's unit, which is written at
# install time, so a package made for /usr from a tree configured for /usr/local is right.

set(BR_APP_ID org.bermrider.Bermrider)
set(BR_RELEASE_DATE 2026-12-08)  # of version ${PROJECT_VERSION}, for the AppStream release
set(BR_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(BR_MAN_DIR ${PROJECT_SOURCE_DIR}/docs/man)
set(BR_GENERATED_PACKAGING ${CMAKE_BINARY_DIR}/packaging)

# Every program the game may install, each with its manual page docs/man/NAME.6.
set(BR_PROGRAMS bermrider brdata brrace bermrider-server)
set(BR_INSTALLED_PROGRAMS "")
foreach(program IN LISTS BR_PROGRAMS)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND BR_INSTALLED_PROGRAMS ${program})
  endif()
endforeach()

# Manual pages, compressed as Debian keeps them (-n: no name or time in the header, so two
# builds give the same bytes).
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(BR_MAN_PAGES "")
foreach(program IN LISTS BR_INSTALLED_PROGRAMS)
  set(page ${BR_MAN_DIR}/${program}.6)
  if(NOT EXISTS ${page})
    message(WARNING "${program} is installed without a manual page: write ${page}")
    continue()
  endif()
  set(packed ${CMAKE_BINARY_DIR}/man/${program}.6.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${GZIP_EXECUTABLE} -9nc ${page} > ${packed}
    DEPENDS ${page}
    VERBATIM)
  list(APPEND BR_MAN_PAGES ${packed})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${BR_MAN_PAGES})
install(FILES ${BR_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The desktop entry and its AppStream description.
configure_file(${BR_PACKAGING_DIR}/bermrider.desktop.in
  ${BR_GENERATED_PACKAGING}/${BR_APP_ID}.desktop @ONLY)
configure_file(${BR_PACKAGING_DIR}/bermrider.metainfo.xml.in
  ${BR_GENERATED_PACKAGING}/${BR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${BR_GENERATED_PACKAGING}/${BR_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${BR_GENERATED_PACKAGING}/${BR_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icons, drawn by the data kit at every size of the hicolor theme.
set(BR_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(BR_ICON_STAMP ${CMAKE_BINARY_DIR}/icons.stamp)
add_custom_command(OUTPUT ${BR_ICON_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${BR_ICON_DIR}
  COMMAND datakit --icons ${BR_ICON_DIR} ${BR_APP_ID}
  COMMAND ${CMAKE_COMMAND} -E touch ${BR_ICON_STAMP}
  DEPENDS datakit
  COMMENT "Drawing the desktop icons"
  VERBATIM)
add_custom_target(icons ALL DEPENDS ${BR_ICON_STAMP})
install(DIRECTORY ${BR_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The game server as a system service: its unit names the installed program and the
# configuration file by absolute path, so it is written when the prefix is known. The
# configuration lives in /etc for a /usr install, as the file-system layout has it.
if(TARGET bermrider-server)
  install(CODE "
    set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
    if(prefix STREQUAL \"/usr\")
      set(etc /etc)
    else()
      set(etc \"\${prefix}/etc\")
    endif()
    set(BR_SERVER_EXE \"\${prefix}/${CMAKE_INSTALL_BINDIR}/bermrider-server\")
    set(BR_SERVER_CONFIG \"\${etc}/bermrider/server.conf\")
    configure_file(\"${BR_PACKAGING_DIR}/bermrider-server.service.in\"
      \"${BR_GENERATED_PACKAGING}/bermrider-server.service\" @ONLY)
    file(INSTALL \"${BR_GENERATED_PACKAGING}/bermrider-server.service\"
      DESTINATION \"\${prefix}/lib/systemd/system\")
    file(INSTALL \"${BR_PACKAGING_DIR}/bermrider-server.conf\"
      DESTINATION \"\${etc}/bermrider\" RENAME server.conf)
  ")
  install(FILES ${BR_PACKAGING_DIR}/bermrider-server.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/bermrider/examples)
endif()

# What an install must hold, relative to the prefix, for the install tests.
set(expected
  ${CMAKE_INSTALL_DATADIR}/bermrider/zzzz.saf
  ${CMAKE_INSTALL_DATADIR}/applications/${BR_APP_ID}.desktop
  ${CMAKE_INSTALL_DATADIR}/metainfo/${BR_APP_ID}.metainfo.xml
  ${CMAKE_INSTALL_DATADIR}/icons/hicolor/16x16/apps/${BR_APP_ID}.png
  ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps/${BR_APP_ID}.png)
foreach(program IN LISTS BR_INSTALLED_PROGRAMS)
  list(APPEND expected ${CMAKE_INSTALL_BINDIR}/${program} ${CMAKE_INSTALL_MANDIR}/man6/${program}.6.gz)
endforeach()
if(TARGET bermrider-server)
  list(APPEND expected lib/systemd/system/bermrider-server.service)
endif()
list(JOIN expected "\n" expected)
file(WRITE ${BR_GENERATED_PACKAGING}/expected_files.txt "${expected}\n")
list(JOIN BR_INSTALLED_PROGRAMS " " programs)
file(WRITE ${BR_GENERATED_PACKAGING}/programs.txt "${programs}\n")
