# Warnings for the project's own targets; link miyoutong::warnings to get them.
add_library(miyoutong_warnings INTERFACE)
add_library(miyoutong::warnings ALIAS miyoutong_warnings)
target_compile_options(miyoutong_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
if(MIYOUTONG_WERROR)
    target_compile_options(miyoutong_warnings INTERFACE -Werror)
endif()
# GCC 12 reports false -Wrestrict warnings inside libstdc++ for "literal" + std::string at -O2
# (GCC bug 105329), and false -Wmaybe-uninitialized ones for lambdas held in std::function.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(miyoutong_warnings INTERFACE -Wno-restrict -Wno-maybe-uninitialized)
endif()
