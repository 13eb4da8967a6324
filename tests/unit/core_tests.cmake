# Real files in a temporary folder with fake time, launches and printers.
add_library(kumoden_watch_fixture STATIC ${CMAKE_CURRENT_LIST_DIR}/watch_fixture.cpp)
target_link_libraries(kumoden_watch_fixture PUBLIC kumoden_core kumoden_fake kumoden_test_platform
  kumoden_test_support GTest::gtest PRIVATE kumoden_options)

# These run unchanged on every platform, each on its own backends.
kumoden_test(number_text_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/number_text_test.cpp
  LIBS kumoden_core)
kumoden_test(settings_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp
  LIBS kumoden_core kumoden_fake kumoden_test_platform)
kumoden_test(print_pass_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_pass_test.cpp
  LIBS kumoden_watch_fixture)
kumoden_test(watch_cycle_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/watch_cycle_test.cpp
  LIBS kumoden_watch_fixture)
kumoden_test(backup_purge_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/backup_purge_test.cpp
  LIBS kumoden_watch_fixture)

if(NOT WIN32)
  kumoden_test(wildcard_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/wildcard_test.cpp
    LIBS kumoden_posix)
endif()

kumoden_test(tray_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tray_test.cpp
  LIBS kumoden_watch_fixture)

if(NOT WIN32)
  # The Qt desktop's one pure part: where the taskbar is.
  kumoden_test(taskbar_strip_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/taskbar_strip_test.cpp
    LIBS kumoden_qt)
endif()

kumoden_test(frm_conf_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frm_conf_test.cpp
  LIBS kumoden_core kumoden_fake kumoden_test_platform)

kumoden_test(hardcopy_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/hardcopy_test.cpp
  LIBS kumoden_core kumoden_fake)
