# The hard copy of the resident program under Xvfb with a tray host: pictures
# put on the clipboard with xclip, printed on the queue PDF.
add_executable(kumoden_hard_copy_e2e_test ${CMAKE_CURRENT_LIST_DIR}/hard_copy_e2e_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x_session.cpp ${CMAKE_CURRENT_LIST_DIR}/e2e_fixture.cpp)
target_link_libraries(kumoden_hard_copy_e2e_test PRIVATE kumoden_hard_copy_test_support kumoden_cups_test_support
  kumoden_test_support GTest::gtest GTest::gtest_main kumoden_options)
add_dependencies(kumoden_hard_copy_e2e_test kumoden clipboard_owner)
set(KUMODEN_HARD_COPY_SCENARIOS
    HardCopy.ABitmapIsPrintedOnceStretchedIntoTheBox
    HardCopy.TextOrTextWithAPicturePrintsNothing
    HardCopy.ThePrimarySelectionPrintsNothing
    HardCopy.APictureThatCannotBeReadIsNoCrash
    HardCopy.WithoutAPrinterTheProgramCarriesOn)
kumoden_e2e_scenarios(kumoden_hard_copy_e2e_test TIMEOUT 120 SCENARIOS ${KUMODEN_HARD_COPY_SCENARIOS})
# They count the hard copies that come out of the queue PDF.
list(TRANSFORM KUMODEN_HARD_COPY_SCENARIOS PREPEND e2e.)
set_tests_properties(${KUMODEN_HARD_COPY_SCENARIOS} PROPERTIES RESOURCE_LOCK queue_PDF)
