add_executable(kumoden_e2e_test ${CMAKE_CURRENT_LIST_DIR}/kumoden_e2e_test.cpp ${CMAKE_CURRENT_LIST_DIR}/e2e_fixture.cpp)
target_link_libraries(kumoden_e2e_test PRIVATE kumoden_print_outputs kumoden_test_support GTest::gtest GTest::gtest_main kumoden_options)
add_dependencies(kumoden_e2e_test kumoden kumoden-print)
kumoden_e2e_scenarios(kumoden_e2e_test TIMEOUT 240 SCENARIOS
    Watch.PrintsMatchingFilesAndLeavesTheRest
    Watch.WaitsUntilAGrowingFileHasStopped
    Watch.OddNamesLinksAndPipes
    Watch.AnArchiveThatCannotBeMadeKeepsTheFile
    Watch.NoSchedulerStillArchives
    Settings.BadFilesNeverEndTheProgram
    Program.CopiedAnywhereReadsTheIniBesideIt
    Program.RunsOnWithoutADisplayThatAnswers)
# These count the output files of the queue PDF2: nothing else may print there meanwhile.
set_tests_properties(e2e.Watch.PrintsMatchingFilesAndLeavesTheRest e2e.Watch.WaitsUntilAGrowingFileHasStopped
  PROPERTIES RESOURCE_LOCK queue_PDF2)
