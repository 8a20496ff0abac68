# Runs a program on one end-to-end case folder and compares its standard
# output with the expected output, byte for byte.
#
#   cmake -DPROGRAM=path -DCASE=folder -DWORK=scratch-folder
#         [-DEMULATOR=command] [-DARGS=a;b] [-DEXPECTED=expected_stdout.txt]
#         [-DEXPECT_STATUS=0] [-DLINE_END=CRLF] [-DEXCERPT=ON] -P run_case.cmake
#
# Everything in CASE except the files named expected_* is copied into WORK
# (emptied first), and PROGRAM runs there with ARGS and an empty standard
# input. EXPECTED is a file of CASE (or an absolute path), written with LF
# line ends; LINE_END=CRLF compares against it with every LF turned into
# CR LF, as a Windows build prints. EMULATOR runs PROGRAM (wine, for a cross
# build). With EXCERPT=ON, EXPECTED's lines must stand in the output as
# consecutive whole lines instead.
foreach(var PROGRAM CASE WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_case.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT DEFINED EXPECTED)
  set(EXPECTED expected_stdout.txt)
endif()
if(NOT DEFINED EXPECT_STATUS)
  set(EXPECT_STATUS 0)
endif()
get_filename_component(EXPECTED "${EXPECTED}" ABSOLUTE BASE_DIR "${CASE}")

file(REMOVE_RECURSE "${WORK}")
file(COPY "${CASE}/" DESTINATION "${WORK}/run" PATTERN "expected_*" EXCLUDE)
file(WRITE "${WORK}/stdin" "")
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" ${ARGS} WORKING_DIRECTORY "${WORK}/run"
  INPUT_FILE "${WORK}/stdin" OUTPUT_FILE "${WORK}/stdout" ERROR_VARIABLE stderr_text
  RESULT_VARIABLE status TIMEOUT 60)

file(READ "${EXPECTED}" expected)
if(LINE_END STREQUAL "CRLF")
  string(REPLACE "\n" "\r\n" expected "${expected}")
endif()
file(WRITE "${WORK}/expected" "${expected}")
file(READ "${WORK}/expected" expected_hex HEX)
file(READ "${WORK}/stdout" actual_hex HEX)
file(READ "${WORK}/stdout" actual)

set(failed "")
if(NOT status STREQUAL EXPECT_STATUS)
  string(APPEND failed "exit status ${status}, expected ${EXPECT_STATUS}\n")
endif()
# Compared as hexadecimal text, since a text read drops carriage returns; a
# match must start at a byte, at an even place. The output's last line may
# lack its line end.
set(line_end_hex 0a)
if(LINE_END STREQUAL "CRLF")
  set(line_end_hex 0d0a)
endif()
string(FIND "0a${actual_hex}${line_end_hex}" "0a${expected_hex}" at)
math(EXPR odd "${at} % 2")
if(odd)
  set(at -1)
endif()
if(EXCERPT AND at EQUAL -1)
  string(APPEND failed "standard output lacks the lines of ${EXPECTED}:\n${actual}\n")
elseif(NOT EXCERPT AND NOT actual_hex STREQUAL expected_hex)
  execute_process(COMMAND diff -u "${WORK}/expected" "${WORK}/stdout" OUTPUT_VARIABLE diff_text)
  string(APPEND failed "standard output differs from ${EXPECTED}\n${diff_text}")
endif()
if(failed)
  message(FATAL_ERROR "${failed}standard error:\n${stderr_text}")
endif()
