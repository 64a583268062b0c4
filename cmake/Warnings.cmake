# Warnings for the project's own targets; link miyoutong::warnings to get them.
add_library(miyoutong_warnings INTERFACE)
add_library(miyoutong::warnings ALIAS miyoutong_warnings)
target_compile_options(miyoutong_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(MIYOUTONG_WERROR)
    target_compile_options(miyoutong_warnings INTERFACE -Werror)
endif()
