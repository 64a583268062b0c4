include(GoogleTest)
find_package(GTest REQUIRED)

# Builds every test executable and what the tests run, and nothing else (no benchmarks, no tools
# the tests do not start): what the sanitizer builds need.
add_custom_target(miyoutong_tests)

# miyoutong_add_test(NAME name SOURCES ... LIBS ... [TIMEOUT seconds] [LABELS label])
# One GoogleTest executable; every test runs with the offscreen Qt platform and a deadline.
# LABELS gives its tests a ctest label (one: gtest_discover_tests cannot pass a list through)
# and adds the executable to the target miyoutong_<label>_tests, which builds only those.
# The label threads marks tests that start threads; they also run under ThreadSanitizer.
function(miyoutong_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    list(LENGTH T_LABELS label_count)
    if(label_count GREATER 1)
        message(FATAL_ERROR "miyoutong_add_test(${T_NAME}): one label at most")
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                          miyoutong::warnings)
    target_compile_definitions(${T_NAME} PRIVATE
        MIYOUTONG_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    add_dependencies(miyoutong_tests ${T_NAME})
    set(label_property "")
    if(T_LABELS)
        set(label_property LABELS ${T_LABELS})
        if(NOT TARGET miyoutong_${T_LABELS}_tests)
            add_custom_target(miyoutong_${T_LABELS}_tests)
        endif()
        add_dependencies(miyoutong_${T_LABELS}_tests ${T_NAME})
    endif()
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${T_TIMEOUT} ${label_property})
endfunction()
