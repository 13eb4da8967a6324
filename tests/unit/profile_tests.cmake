# The profile rules, against the portable store on Linux and against the
# platform's own profile functions on Windows: where they differ, the
# portable store is wrong.
kumoden_test(profile_store_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_store_test.cpp
  LIBS kumoden_test_platform)

if(NOT WIN32)
  # The portable store's own parts: encodings, files, links.
  kumoden_test(profile_portable_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_portable_test.cpp
    LIBS kumoden_profile)
  kumoden_test(profile_text_test LABEL unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_text_test.cpp
    LIBS kumoden_profile)
endif()
