# The pickers' Qt windows with their presenters, on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Test)
kumoden_test(qt_picker_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_picker_test.cpp
  LIBS kumoden_core kumoden_qt kumoden_fake Qt6::Test)
