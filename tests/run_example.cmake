# Runs an example generator with the console host in a fresh folder, checks
# every generated file byte for byte against the example's expected/ folder,
# then adds a line to the first protected region of the first generated file
# that has one, regenerates and checks that the line survived.
#   -DVYR=path of vyr  -DEXAMPLE=folder of the example  -DNAME=script name
#   -DWORK=scratch folder  [-DEMULATOR=wine64]
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(generate)
  execute_process(COMMAND ${EMULATOR} "${VYR}" -q -I "${EXAMPLE}" "${EXAMPLE}/${NAME}.vyr"
                  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "vyr failed (${rc}):\n${out}\n${err}")
  endif()
endfunction()

generate()
file(GLOB expected RELATIVE "${EXAMPLE}/expected" "${EXAMPLE}/expected/*")
file(GLOB produced RELATIVE "${WORK}" "${WORK}/*")
list(SORT expected)
list(SORT produced)
if(NOT expected STREQUAL produced)
  message(FATAL_ERROR "generated files ${produced}, expected ${expected}")
endif()
foreach(f IN LISTS expected)
  file(READ "${EXAMPLE}/expected/${f}" want HEX)
  file(READ "${WORK}/${f}" got HEX)
  if(NOT want STREQUAL got)
    message(FATAL_ERROR "${f} differs from ${EXAMPLE}/expected/${f}")
  endif()
endforeach()

# Hand-edit a protected region and regenerate: the edit must survive.
foreach(f IN LISTS expected)
  file(READ "${WORK}/${f}" text)
  string(FIND "${text}" "%PROTECT " at)
  if(at LESS 0)
    continue()
  endif()
  string(SUBSTRING "${text}" ${at} -1 tail)
  string(FIND "${tail}" "\n" nl)
  math(EXPR cut "${at} + ${nl} + 1")
  string(SUBSTRING "${text}" 0 ${cut} head)
  string(SUBSTRING "${text}" ${cut} -1 rest)
  string(ASCII 13 cr)
  set(edited "${head}    HAND WRITTEN LINE${cr}\n${rest}")
  file(WRITE "${WORK}/${f}" "${edited}")
  generate()
  file(READ "${WORK}/${f}" again)
  string(FIND "${again}" "HAND WRITTEN LINE" kept)
  if(kept LESS 0)
    message(FATAL_ERROR "the hand-written line in ${f} was lost on regeneration")
  endif()
  break()
endforeach()
