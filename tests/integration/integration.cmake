# Integration tests: each backend against the real thing (cupsd, files, X).
include(${CMAKE_CURRENT_LIST_DIR}/cups_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/posix_tests.cmake)
