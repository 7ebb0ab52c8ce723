# The Debian package: `cpack -G DEB` in the build tree. Its library dependencies come from
# dpkg-shlibdeps over the installed programs; only what is loaded at run time, which no
# library scan can see, is named here.

set(CPACK_PACKAGE_NAME bermrider)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Bermrider developers")
set(CPACK_PACKAGE_CONTACT "The Bermrider developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "motocross riding simulator")
set(CPACK_PACKAGE_DESCRIPTION
  "Ride a physically simulated dirt bike over a motocross track whose ground gives way under
the wheels. Practise alone, race the clock against your own ghost, take on robot riders in a
points series, play back and rewind every race, or race other players on a game server.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR into the staging tree, so that what is written at install time (the
# server's unit) sees the package's own prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL and libepoxy open the OpenGL library by name when the window opens; Mesa's drivers
# draw where the graphics card has no driver of its own.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
if(TARGET bermrider-server)
  # The server's configuration is the administrator's once installed.
  file(WRITE ${BR_GENERATED_PACKAGING}/conffiles "/etc/bermrider/server.conf\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${BR_GENERATED_PACKAGING}/conffiles)
endif()

set(CPACK_GENERATOR DEB)
include(CPack)
