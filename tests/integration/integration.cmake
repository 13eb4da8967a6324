# Integration tests: each backend against the real thing (cupsd, files, X).
include(${CMAKE_CURRENT_LIST_DIR}/cups_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/posix_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/qt_picker_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/qt_conf_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/hard_copy_tests.cmake)
