# The profile store: parsing, encodings and writes against files in a temp folder.
kumoden_test(profile_store_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_store_test.cpp
  LIBS kumoden_profile)
kumoden_test(profile_text_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile_text_test.cpp
  LIBS kumoden_profile)
