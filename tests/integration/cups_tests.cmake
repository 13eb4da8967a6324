# The print command line of kumoden-print (pure, no scheduler needed).
kumoden_test(print_args_test LABEL unit
  SOURCES ${PROJECT_SOURCE_DIR}/tests/unit/print_args_test.cpp
  LIBS kumoden_print_args)

# libcups against the tests' own cupsd with the PDF and PDF2 cups-pdf queues.
find_package(Cups REQUIRED)
add_library(kumoden_cups_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/cups_test_support.cpp)
target_link_libraries(kumoden_cups_test_support PUBLIC kumoden_test_support kumoden_print_outputs PRIVATE kumoden_options)

kumoden_test(cups_printer_list_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cups_printer_list_test.cpp
  LIBS kumoden_cups kumoden_cups_test_support Cups::Cups PRINT_SYSTEM)
kumoden_test(kumoden_print_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kumoden_print_test.cpp
  LIBS kumoden_cups_test_support kumoden_print_outputs Cups::Cups PRINT_SYSTEM)
# The program under test must be built before its test runs.
add_dependencies(kumoden_print_test kumoden-print)
# It prints on PDF2 and on the default destination, PDF: the tests counting
# either queue's outputs must not run meanwhile.
set_tests_properties(kumoden_print_test PROPERTIES RESOURCE_LOCK "queue_PDF;queue_PDF2")
