# Read by CPack before it packs: the Debian package is built from a tree
# configured for the prefix /usr (so that the autostart entry is in /etc).
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_KUMODEN_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package needs the build configured with -DCMAKE_INSTALL_PREFIX=/usr "
    "(it is ${CPACK_KUMODEN_INSTALL_PREFIX}); scripts/package.sh does this.")
endif()
