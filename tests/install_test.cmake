# Installs the build tree BUILD_DIR into a fresh prefix, checks that the
# programs and the manual pages are where they belong, and runs the installed
# programs on SOURCE_DIR/examples, expecting the passing verdict.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -P install_test.cmake
cmake_minimum_required(VERSION 3.25)

set(prefix "${BUILD_DIR}/install-test")
file(REMOVE_RECURSE "${prefix}")

execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
  RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${log}")
endif()

set(binary "${prefix}/bin/runcheck")
set(page "${prefix}/share/man/man1/runcheck.1.gz")
set(explain "${prefix}/bin/runcheck-explain")
foreach(file IN ITEMS "${binary}" "${page}" "${explain}" "${prefix}/share/man/man1/runcheck-explain.1.gz")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "not installed: ${file}\n${log}")
  endif()
endforeach()
execute_process(COMMAND gzip -dc "${page}" OUTPUT_FILE "${prefix}/runcheck.1")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE_DIR}/docs/runcheck.1" "${prefix}/runcheck.1"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed manual page differs from docs/runcheck.1")
endif()

set(work "${prefix}/work")
file(COPY "${SOURCE_DIR}/examples/replacement_input.txt" "${SOURCE_DIR}/examples/replacement_output.txt"
     DESTINATION "${work}")
execute_process(
  COMMAND "${binary}"
  WORKING_DIRECTORY "${work}"
  INPUT_FILE /dev/null
  TIMEOUT 60
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed runcheck ended with ${status}:\n${output}${errors}")
endif()
string(FIND "${output}" "\nYour File PASS the TEST\n" verdict)
string(FIND "${output}" "Press Enter Any Key to Finish." prompt)
if(verdict EQUAL -1 OR prompt EQUAL -1)
  message(FATAL_ERROR "the installed runcheck did not pass examples/:\n${output}")
endif()
execute_process(
  COMMAND "${explain}" WORKING_DIRECTORY "${work}" TIMEOUT 60
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed runcheck-explain ended with ${status}:\n${output}${errors}")
endif()
message(STATUS "installed into ${prefix}; examples/ passes")
