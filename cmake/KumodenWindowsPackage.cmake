# The Windows packages, both made on Linux by CPack:
#
#   cd build-win && cpack -G "ZIP;NSIS"    # kumoden-<version>-win64.zip and .exe
#
# (scripts/package-windows.sh does this and checks both.) The zip is the
# portable program: kumoden.exe with a sample kumoden.INI beside it, which
# makes the program keep its settings there. The installer puts the program
# into Program Files with no INI, so that an installed program keeps its
# settings in %APPDATA%\Kumoden.
set(windows ${PROJECT_SOURCE_DIR}/resources/windows)
set(generated ${PROJECT_BINARY_DIR}/package)

# Text files as Notepad reads them: CRLF; the INI in code page 932, as the
# profile functions read it; the Japanese README as UTF-8 with a BOM, which
# Notepad shows right whatever the system's code page.
add_custom_command(OUTPUT ${generated}/portable/kumoden.INI
  COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/portable
  COMMAND sh -c "iconv -f UTF-8 -t CP932 \"$0\" | sed 's/$/\\r/' > \"$1\""
    ${windows}/kumoden.INI ${generated}/portable/kumoden.INI
  DEPENDS ${windows}/kumoden.INI VERBATIM)
add_custom_command(OUTPUT ${generated}/README-ja.txt ${generated}/README-en.txt
  COMMAND sh -c "{ printf '\\357\\273\\277'; sed 's/$/\\r/' \"$0\"; } > \"$2\" && sed 's/$/\\r/' \"$1\" > \"$3\""
    ${windows}/README-ja.txt ${windows}/README-en.txt ${generated}/README-ja.txt ${generated}/README-en.txt
  DEPENDS ${windows}/README-ja.txt ${windows}/README-en.txt VERBATIM)
add_custom_target(kumoden_package_files ALL
  DEPENDS ${generated}/portable/kumoden.INI ${generated}/README-ja.txt ${generated}/README-en.txt)

install(TARGETS kumoden RUNTIME DESTINATION .)
install(FILES ${generated}/README-ja.txt ${generated}/README-en.txt DESTINATION .)

set(CPACK_PACKAGE_NAME kumoden)
set(CPACK_PACKAGE_VENDOR "Kumoden")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prints PDF files as they arrive in a watched folder")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kumoden")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Kumoden")
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_KUMODEN_PORTABLE_DIR ${generated}/portable)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/KumodenWindowsPackageGenerator.cmake)

# The installer: per machine (administrator), registered under HKLM's
# Uninstall key, a Start-menu shortcut for all users.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Kumoden")
set(CPACK_NSIS_DISPLAY_NAME "Kumoden")
set(CPACK_NSIS_INSTALLED_ICON_NAME "kumoden.exe")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/icons/kumoden.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/icons/kumoden.ico)
set(CPACK_PACKAGE_EXECUTABLES "kumoden;Kumoden")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Start at sign-in: a shortcut in the Startup folder of the user who
# installs. A checkbox on the last page, ticked; a silent install makes it
# unless given /NOSTARTUP. The installer is a 64-bit Unicode program, as
# the program it installs.
set(CPACK_NSIS_DEFINES [=[
  Target amd64-unicode
  !include FileFunc.nsh
  !define MUI_FINISHPAGE_SHOWREADME ""
  !define MUI_FINISHPAGE_SHOWREADME_TEXT "サインイン時に Kumoden を起動する"
  !define MUI_FINISHPAGE_SHOWREADME_FUNCTION KumodenStartupShortcut
Function KumodenStartupShortcut
  SetShellVarContext current
  CreateShortCut "$SMSTARTUP\Kumoden.lnk" "$INSTDIR\kumoden.exe"
  SetShellVarContext all
FunctionEnd
]=])
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  IfSilent 0 kumoden_startup_done
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOSTARTUP" $R1
  IfErrors 0 kumoden_startup_done
  Call KumodenStartupShortcut
  kumoden_startup_done:
]=])
# The user's INI and log in %APPDATA%\Kumoden stay; so does anything else
# in the program's folder that the installer did not put there.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  SetShellVarContext current
  Delete "$SMSTARTUP\Kumoden.lnk"
  SetShellVarContext all
]=])

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
