# Windows only: the backend on the real Win32 API, and kumoden.exe end to end.

# Appends its own command line to the file named by KUMODEN_RECORD_FILE:
# what a launch really passed.
add_executable(win32_command_line_recorder ${CMAKE_CURRENT_LIST_DIR}/command_line_recorder.cpp)
target_link_libraries(win32_command_line_recorder PRIVATE kumoden_win32 kumoden_options)
target_link_options(win32_command_line_recorder PRIVATE -static -static-libgcc -static-libstdc++)

kumoden_test(win32_backend_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/win32_backend_test.cpp ${CMAKE_CURRENT_LIST_DIR}/win32_test_support.cpp
  LIBS kumoden_core kumoden_win32 PRINT_SYSTEM)
add_dependencies(win32_backend_test win32_command_line_recorder)

kumoden_test(kumoden_wine_e2e_test LABEL e2e TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kumoden_wine_e2e_test.cpp ${CMAKE_CURRENT_LIST_DIR}/win32_test_support.cpp
  LIBS kumoden_win32 PRINT_SYSTEM)
add_dependencies(kumoden_wine_e2e_test kumoden win32_command_line_recorder)

# The hard copy's Win32 backend: clipboard chain, window procedure, a job on
# the default printer, the queue PDF of the tests' own scheduler.
kumoden_test(win32_hard_copy_test LABEL integration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/win32_hard_copy_test.cpp ${CMAKE_CURRENT_LIST_DIR}/win32_test_support.cpp
  LIBS kumoden_core kumoden_win32 kumoden_print_outputs PRINT_SYSTEM)
set_tests_properties(win32_hard_copy_test PROPERTIES RESOURCE_LOCK queue_PDF)
