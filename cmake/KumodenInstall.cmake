# Installing the Linux program as a desktop program, and its Debian package.
#
#   cmake --install build --prefix /usr/local     # by hand
#   scripts/package.sh                            # build/kumoden_<version>_<arch>.deb
#
# The menu entry and the icon go into the freedesktop places under the
# prefix; the autostart entry into the system's configuration folder
# (CMAKE_INSTALL_FULL_SYSCONFDIR: /etc for the prefix /usr); the user
# services (the plain one, and the template with one instance per INI)
# where systemd looks for packaged user units.
include(GNUInstallDirs)

set(KUMODEN_SYSTEMD_USER_UNIT_DIR "lib/systemd/user" CACHE STRING
  "Where the systemd user unit goes, relative to the prefix")
set(KUMODEN_PACKAGE_MAINTAINER "Kumoden maintainers <maintainers@kumoden.invalid>" CACHE STRING
  "The Debian package's maintainer, as \"Name <address>\"")

set(linux ${PROJECT_SOURCE_DIR}/resources/linux)
set(icons ${PROJECT_SOURCE_DIR}/resources/icons)
set(doc ${CMAKE_INSTALL_DATADIR}/doc/kumoden)
set(generated ${PROJECT_BINARY_DIR}/install)

install(TARGETS kumoden kumoden-print RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${linux}/kumoden.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 256)
  install(FILES ${icons}/kumoden-${size}.png RENAME kumoden.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icons}/kumoden.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Started with every desktop session; the user can switch it off in the
# session's settings (which hide it with a copy in ~/.config/autostart).
install(FILES ${linux}/kumoden-autostart.desktop RENAME kumoden.desktop
  DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
install(FILES ${linux}/org.kumoden.Kumoden.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Files that name where the programs are installed.
set(KUMODEN_INSTALLED_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/kumoden)
set(KUMODEN_INSTALLED_READER ${CMAKE_INSTALL_FULL_BINDIR}/kumoden-print)
configure_file(${linux}/kumoden.service ${generated}/kumoden.service @ONLY)
configure_file(${linux}/kumoden@.service ${generated}/kumoden@.service @ONLY)
configure_file(${linux}/kumoden.INI.sample ${generated}/kumoden.INI.sample @ONLY)
configure_file(${linux}/copyright ${generated}/copyright @ONLY)
configure_file(${linux}/changelog.Debian ${generated}/changelog.Debian @ONLY)
install(FILES ${generated}/kumoden.service ${generated}/kumoden@.service DESTINATION ${KUMODEN_SYSTEMD_USER_UNIT_DIR})
install(FILES ${generated}/kumoden.INI.sample ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/README.ja.md
  ${generated}/copyright DESTINATION ${doc})

# Compressed as Debian wants them: gzip -9, no name or time inside. The
# Japanese man pages (UTF-8) keep their names in a folder of their own.
set(compressed)
foreach(name changelog.Debian kumoden.1 kumoden-print.1 ja/kumoden.1 ja/kumoden-print.1)
  set(file ${linux}/${name})
  if(name STREQUAL "changelog.Debian")
    set(file ${generated}/${name}) # the configured one
  endif()
  get_filename_component(folder ${generated}/${name} DIRECTORY)
  add_custom_command(OUTPUT ${generated}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND gzip -9nc ${file} > ${generated}/${name}.gz
    DEPENDS ${file} VERBATIM)
  list(APPEND compressed ${generated}/${name}.gz)
endforeach()
add_custom_target(kumoden_install_files ALL DEPENDS ${compressed})
install(FILES ${generated}/changelog.Debian.gz DESTINATION ${doc})
install(FILES ${generated}/kumoden.1.gz ${generated}/kumoden-print.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/ja/kumoden.1.gz ${generated}/ja/kumoden-print.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
install(FILES ${linux}/lintian-overrides RENAME kumoden DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

# The Debian package. Its dependencies are read from the programs' linked
# libraries; the print system and the PDF queue are recommended, as a
# machine may print through another one.
set(CPACK_PACKAGE_NAME kumoden)
set(CPACK_PACKAGE_VENDOR "The Kumoden developers")
set(CPACK_PACKAGE_CONTACT "${KUMODEN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prints PDF files as they arrive in a watched folder")
# The summary is the synopsis line; this is what follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kumoden lives in the notification area. It watches a folder for PDF
files whose names begin with a configured text, archives each in the
sub-folder BackPdf and prints it on a CUPS printer, deleting archives
older than a configured number of days. It also prints every picture
put on the clipboard. Without a desktop it runs headless as a user
service.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KUMODEN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The texts are Japanese: without a Japanese font a minimal install shows
# boxes. The libraries' dependencies are added to this.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-japanese-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, printer-driver-cups-pdf")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The autostart entry is a configuration file: an edit survives an upgrade.
file(WRITE ${generated}/conffiles "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart/kumoden.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${generated}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# A package of another prefix would put files where Debian allows none.
set(CPACK_KUMODEN_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/KumodenPackageCheck.cmake)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
