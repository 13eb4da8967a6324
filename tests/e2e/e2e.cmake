# End-to-end tests: the built programs in a temporary folder, real services, real waits.
include(${CMAKE_CURRENT_LIST_DIR}/e2e_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/tray_e2e.cmake)
