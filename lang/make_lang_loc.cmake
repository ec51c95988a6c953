# Builds the engine text file "lang.loc" from lang/texts (cmake -P).
# Layout written: the 115 lines of the base file, then for each language its
# display-name line and its 115 lines, every line ending in CR LF; each
# language's lines are converted from UTF-8 to its Windows ANSI code page.
# Inputs: TEXTS_DIR, BASE (file name), LANGUAGES (entries "file|display|page"
# joined by "^"), ICONV, WORK_DIR, OUTPUT.
cmake_minimum_required(VERSION 3.25)

set(kSlots 115)

# Reads a UTF-8 text file, checks its line count and returns it with CR LF ends.
function(read_block file out)
  file(READ "${TEXTS_DIR}/${file}" head LIMIT 3 HEX)
  if(head STREQUAL "efbbbf")
    message(FATAL_ERROR "${file}: starts with a byte order mark")
  endif()
  file(READ "${TEXTS_DIR}/${file}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  if(NOT text MATCHES "\n$")
    message(FATAL_ERROR "${file}: the last line has no line end")
  endif()
  string(REGEX MATCHALL "\n" ends "${text}")
  list(LENGTH ends count)
  if(NOT count EQUAL kSlots)
    message(FATAL_ERROR "${file}: ${count} lines, expected ${kSlots}")
  endif()
  string(REPLACE "\n" "\r\n" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Converts one block to a code page into WORK_DIR/<index>.block.
function(convert_block file page index out)
  read_block("${file}" text)
  file(WRITE "${WORK_DIR}/${index}.utf8" "${text}")
  execute_process(COMMAND "${ICONV}" -f UTF-8 -t "${page}"
    INPUT_FILE "${WORK_DIR}/${index}.utf8" OUTPUT_FILE "${WORK_DIR}/${index}.block"
    RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${file}: cannot convert to ${page}: ${err}")
  endif()
  set(${out} "${WORK_DIR}/${index}.block" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
convert_block("${BASE}" CP1252 0 base)
set(parts "${base}")
string(REPLACE "^" ";" entries "${LANGUAGES}")
set(index 0)
foreach(entry IN LISTS entries)
  math(EXPR index "${index} + 1")
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 file)
  list(GET fields 1 display)
  list(GET fields 2 page)
  file(WRITE "${WORK_DIR}/${index}.name" "${display}\r\n")
  convert_block("${file}" "${page}" ${index} block)
  list(APPEND parts "${WORK_DIR}/${index}.name" "${block}")
endforeach()
execute_process(COMMAND "${CMAKE_COMMAND}" -E cat ${parts} OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot write ${OUTPUT}")
endif()
