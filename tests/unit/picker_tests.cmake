# The folder and program pickers' presenters with a fake window.
kumoden_test(picker_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/picker_test.cpp
  LIBS kumoden_core kumoden_fake)
