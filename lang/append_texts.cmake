# Writes OUTPUT as the bytes of IMAGE followed by those of TEXTS (cmake -P).
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${CMAKE_COMMAND}" -E cat "${IMAGE}" "${TEXTS}"
  OUTPUT_FILE "${OUTPUT}.tmp" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${OUTPUT}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
