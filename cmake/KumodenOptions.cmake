# Warnings and sanitizers for every target of the project.
add_library(kumoden_options INTERFACE)
target_compile_options(kumoden_options INTERFACE -Wall -Wextra -Werror -Wpedantic)
if(KUMODEN_SANITIZE)
  target_compile_options(kumoden_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kumoden_options INTERFACE -fsanitize=address,undefined)
endif()
