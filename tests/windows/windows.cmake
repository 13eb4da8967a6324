# Windows only: the backend on the real Win32 API, and kumoden.exe end to end.
include(${PROJECT_SOURCE_DIR}/platform/win32/tests/win32_tests.cmake OPTIONAL)

# A reader that writes down the command line it was started with.
add_executable(recording-reader ${CMAKE_CURRENT_LIST_DIR}/recording_reader.cpp)
target_compile_definitions(recording-reader PRIVATE UNICODE _UNICODE)
target_link_options(recording-reader PRIVATE -municode -static)
target_link_libraries(recording-reader PRIVATE kumoden_options)

kumoden_test(kumoden_wine_e2e_test LABEL e2e TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kumoden_wine_e2e_test.cpp
  LIBS kumoden_win32)
add_dependencies(kumoden_wine_e2e_test kumoden recording-reader)
target_compile_definitions(kumoden_wine_e2e_test PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
