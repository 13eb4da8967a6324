# The hard copy's Qt backend: the clipboard of an X server of the test's
# own, and the scheduler's queue PDF as the current printer.
find_package(Qt6 REQUIRED COMPONENTS Gui)
find_package(Cups REQUIRED)

# Writes the test pictures and holds the clipboard with text and a picture.
add_executable(clipboard_owner ${CMAKE_CURRENT_LIST_DIR}/clipboard_owner.cpp)
target_link_libraries(clipboard_owner PRIVATE Qt6::Gui kumoden_options)
set_target_properties(clipboard_owner PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

add_library(kumoden_hard_copy_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/hard_copy_test_support.cpp)
target_link_libraries(kumoden_hard_copy_test_support PUBLIC kumoden_cups_test_support kumoden_print_outputs
  kumoden_test_support
  PRIVATE kumoden_options)

kumoden_test(qt_hard_copy_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_hard_copy_test.cpp ${PROJECT_SOURCE_DIR}/tests/e2e/x_session.cpp
  LIBS kumoden_core kumoden_qt kumoden_hard_copy_test_support Cups::Cups PRINT_SYSTEM)
add_dependencies(qt_hard_copy_test clipboard_owner)
# It counts the hard copies that come out of the queue PDF.
set_tests_properties(qt_hard_copy_test PROPERTIES RESOURCE_LOCK queue_PDF)
