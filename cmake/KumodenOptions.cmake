# Warnings and sanitizers for every target of the project.
add_library(kumoden_options INTERFACE)
target_compile_options(kumoden_options INTERFACE -Wall -Wextra -Werror -Wpedantic)
if(KUMODEN_SANITIZE)
  target_compile_options(kumoden_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kumoden_options INTERFACE -fsanitize=address,undefined)
endif()
# Coverage for libFuzzer in every target the fuzzers link; only the fuzzers
# themselves link libFuzzer's main.
if(KUMODEN_FUZZ)
  target_compile_options(kumoden_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kumoden_options INTERFACE -fsanitize=address,undefined)
endif()
# GCC 12 reports impossible overlaps inside std::string at -O2 (its bug
# 105329); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kumoden_options INTERFACE -Wno-restrict)
endif()
