# Formats the manual page PAGE with GROFF and fails on any warning.
#   cmake -DGROFF=... -DPAGE=... -P manual_page_test.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(
  COMMAND "${GROFF}" -man -Tutf8 -ww -z "${PAGE}"
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff on ${PAGE} (status ${status}):\n${warnings}")
endif()
