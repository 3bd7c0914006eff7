cmake_minimum_required(VERSION 3.25)
# Runs the console host once and checks its exit status and output.
#   VYR        the program            EMULATOR  how to start it (Wine), may be empty
#   DATA       the fixture folder     ARGS      arguments, separated by "|";
#                                               @DIR@ stands for DATA
#   WORK       folder the program runs in (made empty first); @WORK@ in
#              ARGS and in the output stands for it
#   RC         expected exit status
#   STDOUT     file with the exact expected standard output, or
#   STDOUT_RE  a regular expression it must match
#   STDERR_RE  a regular expression standard error must match ("^$": empty)
# Output is compared with Windows paths and line ends made POSIX-like and
# the fixture folder written as @DIR@, so one expectation serves every target.
string(REPLACE "|" ";" args "${ARGS}")
string(REPLACE "@DIR@" "${DATA}" args "${args}")
if(NOT WORK)
  set(WORK "${CMAKE_CURRENT_BINARY_DIR}")
else()
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
endif()
string(REPLACE "@WORK@" "${WORK}" args "${args}")
set(command ${VYR} ${args})
if(EMULATOR)
  set(command ${EMULATOR} ${command})
endif()
execute_process(COMMAND ${command} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)

function(normalise var)
  set(text "${${var}}")
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\\" "/" text "${text}")
  string(REGEX REPLACE "(^|[ '\n(])[A-Za-z]:/" "\\1/" text "${text}")
  string(REPLACE "${DATA}" "@DIR@" text "${text}")
  string(REPLACE "${WORK}" "@WORK@" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()
normalise(out)
normalise(err)

set(failed "")
if(NOT "${rc}" STREQUAL "${RC}")
  string(APPEND failed "exit status ${rc}, expected ${RC}\n")
endif()
if(DEFINED STDOUT)
  file(READ "${STDOUT}" expected)
  if(NOT "${out}" STREQUAL "${expected}")
    string(APPEND failed "standard output differs from ${STDOUT}\n")
  endif()
endif()
if(DEFINED STDOUT_RE AND NOT "${out}" MATCHES "${STDOUT_RE}")
  string(APPEND failed "standard output does not match: ${STDOUT_RE}\n")
endif()
if(DEFINED STDERR_RE AND NOT "${err}" MATCHES "${STDERR_RE}")
  string(APPEND failed "standard error does not match: ${STDERR_RE}\n")
endif()
if(failed)
  message(FATAL_ERROR "${failed}--- stdout:\n${out}--- stderr:\n${err}")
endif()
