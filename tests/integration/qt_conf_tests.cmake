# The settings dialog's Qt view with its presenter, on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)
kumoden_test(qt_conf_view_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_conf_view_test.cpp
  LIBS kumoden_core kumoden_qt kumoden_profile kumoden_fake Qt6::Test)
