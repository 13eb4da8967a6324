# The resident program under Xvfb with a tray host: splash, icon, menu and
# version box, driven by xdotool. Each test starts an X server of its own.
add_executable(kumoden_tray_e2e_test ${CMAKE_CURRENT_LIST_DIR}/tray_e2e_test.cpp ${CMAKE_CURRENT_LIST_DIR}/x_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/e2e_fixture.cpp)
target_link_libraries(kumoden_tray_e2e_test PRIVATE kumoden_cups_test_support kumoden_test_support
  GTest::gtest GTest::gtest_main kumoden_options)
add_dependencies(kumoden_tray_e2e_test kumoden)
foreach(scenario
    Tray.SplashGoesBeforeTheIconComes
    Tray.IconSitsInTheTray
    Tray.MenuHasTheFourCommands
    Tray.PrinterSetupWithoutAnyPrinterIsNoCrash
    Tray.DoubleClickOpensTheVersionBox
    Tray.IconStaysLiveWhileTheVersionBoxIsOpen
    Tray.SingleLeftClickOpensNothing
    Tray.SecondInstanceEndsAtOnce
    Tray.IconFollowsTheTrayHost)
  add_test(NAME e2e.${scenario} COMMAND kumoden_tray_e2e_test --gtest_filter=${scenario})
  set_tests_properties(e2e.${scenario} PROPERTIES LABELS e2e TIMEOUT 120
    ENVIRONMENT "KUMODEN_BUILD_DIR=${PROJECT_BINARY_DIR}")
endforeach()
