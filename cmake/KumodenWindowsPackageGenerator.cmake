# Read by CPack before it packs each Windows package: only the portable zip
# has an INI beside the program.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_INSTALLED_DIRECTORIES "${CPACK_KUMODEN_PORTABLE_DIR};.")
endif()
