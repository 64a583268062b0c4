include(GoogleTest)
find_package(GTest REQUIRED)

# miyoutong_add_test(NAME name SOURCES ... LIBS ...)
# One GoogleTest executable; every test runs with the offscreen Qt platform and a deadline.
function(miyoutong_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                          miyoutong::warnings)
    target_compile_definitions(${T_NAME} PRIVATE
        MIYOUTONG_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${T_TIMEOUT})
endfunction()
