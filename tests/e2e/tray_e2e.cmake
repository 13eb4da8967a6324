# The resident program under Xvfb with a tray host: splash, icon, menu and
# version box, driven by xdotool. Each test starts an X server of its own.
add_executable(kumoden_tray_e2e_test ${CMAKE_CURRENT_LIST_DIR}/tray_e2e_test.cpp ${CMAKE_CURRENT_LIST_DIR}/x_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/e2e_fixture.cpp)
target_link_libraries(kumoden_tray_e2e_test PRIVATE kumoden_cups_test_support kumoden_test_support
  GTest::gtest GTest::gtest_main kumoden_options)
add_dependencies(kumoden_tray_e2e_test kumoden)
kumoden_e2e_scenarios(kumoden_tray_e2e_test TIMEOUT 120 SCENARIOS
    Tray.SplashGoesBeforeTheIconComes
    Tray.IconSitsInTheTray
    Tray.MenuHasTheFourCommands
    Tray.PrinterSetupWithoutAnyPrinterIsNoCrash
    Tray.DoubleClickOpensTheVersionBox
    Tray.IconStaysLiveWhileTheVersionBoxIsOpen
    Tray.SingleLeftClickOpensNothing
    Tray.SecondInstanceEndsAtOnce
    Tray.IconFollowsTheTrayHost)

# The settings dialog from the tray menu.
add_executable(kumoden_settings_e2e_test ${CMAKE_CURRENT_LIST_DIR}/settings_e2e_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x_session.cpp ${CMAKE_CURRENT_LIST_DIR}/e2e_fixture.cpp)
target_link_libraries(kumoden_settings_e2e_test PRIVATE kumoden_cups_test_support kumoden_test_support
  GTest::gtest GTest::gtest_main kumoden_options)
add_dependencies(kumoden_settings_e2e_test kumoden kumoden-print)
kumoden_e2e_scenarios(kumoden_settings_e2e_test TIMEOUT 120 SCENARIOS
    SettingsDialog.OkWritesTheChangedRetentionAndTheFieldsFilledAtOpening
    SettingsDialog.CancelWritesNothing
    SettingsDialog.ANewIntervalTakesEffectWithoutARestart
    SettingsDialog.TheFolderPickerHandsItsFolderToTheDialog)
# It prints on PDF2, whose outputs the watch scenarios count.
set_tests_properties(e2e.SettingsDialog.ANewIntervalTakesEffectWithoutARestart PROPERTIES RESOURCE_LOCK queue_PDF2)
