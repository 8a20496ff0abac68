# Runs runcheck-explain (PROGRAM) on one case folder (CASE), in WORK. Where
# the case holds runcheck's whole output, expected_stdout.txt, the --json
# verdict of each test case and the exit status (0 pass, 1 fail, 2 when
# runcheck stopped before checking) must be runcheck's; where it holds
# explain_stdout.txt or explain_json.txt, the whole output must match.
#   cmake -DPROGRAM=path -DCASE=folder -DWORK=scratch-folder -P explain_case.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
foreach(name replacement_input.txt replacement_output.txt)
  if(EXISTS "${CASE}/${name}")
    file(COPY "${CASE}/${name}" DESTINATION "${WORK}")
  endif()
endforeach()

function(explain args out status)
  execute_process(COMMAND "${PROGRAM}" ${args} WORKING_DIRECTORY "${WORK}"
                  OUTPUT_VARIABLE text RESULT_VARIABLE code TIMEOUT 60)
  set(${out} "${text}" PARENT_SCOPE)
  set(${status} "${code}" PARENT_SCOPE)
endfunction()

# P or F for each verdict in `text`, in order.
function(verdicts text pass fail out)
  string(REGEX MATCHALL "${pass}|${fail}" found "${text}")
  list(TRANSFORM found REPLACE "${pass}" "P")
  list(TRANSFORM found REPLACE "${fail}" "F")
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

if(EXISTS "${CASE}/expected_stdout.txt")
  file(READ "${CASE}/expected_stdout.txt" runcheck)
  set(want 2)
  if(runcheck MATCHES "\n================================================\n")
    set(want 1)
    if(runcheck MATCHES "\nYour File PASS the TEST\n")
      set(want 0)
    endif()
  endif()
  explain(--json json_text status)
  verdicts("${runcheck}" "\n[.][.][.][.]PASSED\n" "\n[.][.][.][.]FAILED\n" expected)
  verdicts("${json_text}" "\"verdict\": \"passed\"" "\"verdict\": \"failed\"" found)
  if(NOT status STREQUAL want OR NOT found STREQUAL expected)
    message(FATAL_ERROR "runcheck: status ${want}, verdicts ${expected}\n"
                        "runcheck-explain --json: status ${status}, verdicts ${found}\n${json_text}")
  endif()
endif()
foreach(mode stdout json)
  if(EXISTS "${CASE}/explain_${mode}.txt")
    set(args --)
    if(mode STREQUAL "json")
      set(args --json)
    endif()
    explain("${args}" text status)
    file(READ "${CASE}/explain_${mode}.txt" want)
    if(NOT text STREQUAL want)
      message(FATAL_ERROR "runcheck-explain ${args} differs from explain_${mode}.txt:\n${text}")
    endif()
  endif()
endforeach()
