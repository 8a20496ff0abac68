# Static checks as tests: clang-format, clang-tidy (.clang-tidy) and cppcheck
# over the project's own sources. A missing tool stops the configure step,
# so no check is ever skipped without a word.
find_program(RUNCHECK_CLANG_FORMAT NAMES clang-format clang-format-14 REQUIRED)
find_program(RUNCHECK_CLANG_TIDY NAMES clang-tidy clang-tidy-14 REQUIRED)
find_program(RUNCHECK_RUN_CLANG_TIDY NAMES run-clang-tidy run-clang-tidy-14 REQUIRED)
find_program(RUNCHECK_CPPCHECK NAMES cppcheck REQUIRED)

set(runcheck_source_dirs ${RUNCHECK_SOURCE_DIRS} tests fuzz)
set(runcheck_sources)
set(runcheck_units)
foreach(dir ${runcheck_source_dirs})
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  list(APPEND runcheck_sources ${found})
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  list(APPEND runcheck_units ${found})
endforeach()
# Only the implementation for the system at hand is in the compile commands.
if(NOT WIN32)
  list(REMOVE_ITEM runcheck_units ${PROJECT_SOURCE_DIR}/platform/platform_windows.cpp
       ${PROJECT_SOURCE_DIR}/platform/process_windows.cpp)
endif()

add_test(NAME static.clang_format
  COMMAND ${RUNCHECK_CLANG_FORMAT} --dry-run -Werror ${runcheck_sources}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})

# Headers of the source folders are checked through the files that include
# them; every warning is an error (.clang-tidy's WarningsAsErrors). The
# compile commands are GCC's, so a GCC-only warning flag must not count.
# run-clang-tidy checks one file per core at a time (it takes its files as
# patterns, hence the anchors).
list(JOIN runcheck_source_dirs "|" header_dirs)
list(TRANSFORM runcheck_units PREPEND "^" OUTPUT_VARIABLE tidy_patterns)
list(TRANSFORM tidy_patterns APPEND "$")
add_test(NAME static.clang_tidy
  COMMAND ${RUNCHECK_RUN_CLANG_TIDY} -clang-tidy-binary ${RUNCHECK_CLANG_TIDY}
    -p ${PROJECT_BINARY_DIR} -quiet
    "-header-filter=/(${header_dirs})/([^/]*/)?[^/]*\\.h$"
    -extra-arg=-Wno-unknown-warning-option ${tidy_patterns}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})

add_test(NAME static.cppcheck
  COMMAND ${RUNCHECK_CPPCHECK} --project=${PROJECT_BINARY_DIR}/compile_commands.json
    --enable=warning,style,performance,portability --std=c++20 --inline-suppr
    --library=googletest --error-exitcode=1 --quiet
    --suppressions-list=${PROJECT_SOURCE_DIR}/.cppcheck-suppressions
    -i${PROJECT_BINARY_DIR}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})

# The folders' arrows: every include of the project's headers goes down.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME static.layers COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/layers_test.py
         ${PROJECT_SOURCE_DIR})

set_tests_properties(static.clang_format static.clang_tidy static.cppcheck static.layers PROPERTIES
  LABELS static TIMEOUT 900)
