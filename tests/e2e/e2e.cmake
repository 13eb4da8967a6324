# End-to-end tests: the built programs in a temporary folder, real services, real waits.

# kumoden_e2e_scenarios(<program> TIMEOUT <s> SCENARIOS <Suite.Test> ...)
# One CTest entry per scenario of one test program, so that their real
# waits overlap. The program runs against the tests' own scheduler.
function(kumoden_e2e_scenarios program)
  cmake_parse_arguments(E "" "TIMEOUT" "SCENARIOS" ${ARGN})
  foreach(scenario ${E_SCENARIOS})
    add_test(NAME e2e.${scenario} COMMAND ${program} --gtest_filter=${scenario})
    set_tests_properties(e2e.${scenario} PROPERTIES LABELS e2e TIMEOUT ${E_TIMEOUT})
    kumoden_test_env(e2e.${scenario} PRINT_SYSTEM)
  endforeach()
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/e2e_tests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/tray_e2e.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/hard_copy_e2e.cmake)
