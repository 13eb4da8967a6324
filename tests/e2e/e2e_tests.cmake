# One program, one CTest entry per scenario so that their real waits overlap.
add_executable(kumoden_e2e_test ${CMAKE_CURRENT_LIST_DIR}/kumoden_e2e_test.cpp ${CMAKE_CURRENT_LIST_DIR}/e2e_fixture.cpp)
target_link_libraries(kumoden_e2e_test PRIVATE kumoden_test_support GTest::gtest GTest::gtest_main kumoden_options)
add_dependencies(kumoden_e2e_test kumoden kumoden-print)
foreach(scenario
    Watch.PrintsMatchingFilesAndLeavesTheRest
    Watch.WaitsUntilAGrowingFileHasStopped
    Watch.OddNamesLinksAndPipes
    Watch.AnArchiveThatCannotBeMadeKeepsTheFile
    Watch.NoSchedulerStillArchives
    Settings.BadFilesNeverEndTheProgram
    Program.CopiedAnywhereReadsTheIniBesideIt
    Program.RunsOnWithoutADisplayThatAnswers)
  add_test(NAME e2e.${scenario} COMMAND kumoden_e2e_test --gtest_filter=${scenario})
  set_tests_properties(e2e.${scenario} PROPERTIES LABELS e2e TIMEOUT 240
    ENVIRONMENT "KUMODEN_BUILD_DIR=${PROJECT_BINARY_DIR}")
endforeach()
# These count the output files of the queue PDF2: nothing else may print there meanwhile.
set_tests_properties(e2e.Watch.PrintsMatchingFilesAndLeavesTheRest e2e.Watch.WaitsUntilAGrowingFileHasStopped
  PROPERTIES RESOURCE_LOCK queue_PDF2)
