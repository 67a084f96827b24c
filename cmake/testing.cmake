# GoogleTest: the system's package natively, built from Debian's source for
# the cross build.
if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(FILLWRIGHT_GTEST gtest gtest_main)
else()
    find_package(GTest REQUIRED)
    set(FILLWRIGHT_GTEST GTest::gtest GTest::gtest_main)
endif()

add_library(fillwright_test_support STATIC
    ${CMAKE_SOURCE_DIR}/tests/support/scratch_dir.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/native_line_ends.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/run_tool_${FILLWRIGHT_PLATFORM}.cpp)
target_include_directories(fillwright_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
# Tests read --json reports with the library that writes them.
target_include_directories(fillwright_test_support SYSTEM PUBLIC ${CMAKE_BINARY_DIR}/nlohmann-include)
target_link_libraries(fillwright_test_support PUBLIC fillwright_events ${FILLWRIGHT_GTEST}
                      PRIVATE fillwright_warnings)
target_compile_definitions(fillwright_test_support PUBLIC
    FILLWRIGHT_TOOL="$<TARGET_FILE_NAME:fillwright>")

# One test binary per folder, linking that folder's library, run once as one CTest entry: a Wine start
# costs about a second, so cases are not run one process each.
function(fillwright_test_suite name)
    add_executable(${name}_tests ${ARGN})
    target_link_libraries(${name}_tests PRIVATE fillwright_${name} fillwright_test_support
                          fillwright_warnings)
    add_dependencies(${name}_tests fillwright)
    add_test(NAME ${name} COMMAND ${name}_tests --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
endfunction()
target_compile_definitions(fillwright_test_support PUBLIC
    FILLWRIGHT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# Real reports of --json, over trees with hostile names, checked against the
# documented schema by Debian's python3-jsonschema (the system's Python).
find_program(FILLWRIGHT_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(FILLWRIGHT_SYSTEM_PYTHON)
    add_test(NAME json_reports
             COMMAND ${FILLWRIGHT_SYSTEM_PYTHON} ${CMAKE_SOURCE_DIR}/tests/json/validate_reports.py
                     --schema ${CMAKE_SOURCE_DIR}/docs/report.schema.json
                     --tool $<TARGET_FILE:fillwright> ${CMAKE_CROSSCOMPILING_EMULATOR})
    set_tests_properties(json_reports PROPERTIES
        ENVIRONMENT "WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
endif()
