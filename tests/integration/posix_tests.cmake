kumoden_test(posix_file_system_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix_file_system_test.cpp
  LIBS kumoden_posix)
kumoden_test(posix_launcher_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix_launcher_test.cpp
  LIBS kumoden_watch_fixture)
