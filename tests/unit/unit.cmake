# Unit tests: the system's code and the backends' pure parts, with fakes for time.
include(${CMAKE_CURRENT_LIST_DIR}/profile_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/core_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/picker_tests.cmake)
