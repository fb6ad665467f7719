# Fails when a source folder includes a header from a folder above it in the layer order.
#   cmake -DSOURCE_DIR=<repository> -P scripts/check-layers.cmake
#
# Each entry is "folder:level", bottom first. A folder may include its own headers and those of
# lower levels; folders on one level (app, cli) stay apart. tests/ and fuzz/ sit above all and
# may include anything, so they are not scanned.
set(layers
  core:0
  syntax:1
  model:2
  content:3
  pdfwrite:4
  edit:5
  document:6
  view:7
  app:8
  cli:8
  tests:9
  fuzz:9
)

if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

set(folders "")
foreach(entry IN LISTS layers)
  string(REPLACE ":" ";" pair "${entry}")
  list(GET pair 0 folder)
  list(GET pair 1 level)
  set(level_of_${folder} ${level})
  list(APPEND folders ${folder})
endforeach()

set(problems "")
set(count 0)
set(scanned 0)
foreach(folder IN LISTS folders)
  if(folder STREQUAL "tests" OR folder STREQUAL "fuzz")
    continue()
  endif()
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
    # A renamed folder would otherwise drop out of the check unnoticed.
    list(APPEND problems "${folder}/ is in the layer order but does not exist")
    math(EXPR count "${count} + 1")
    continue()
  endif()
  set(own ${level_of_${folder}})
  set(allowed "")
  foreach(other IN LISTS folders)
    if(other STREQUAL folder OR level_of_${other} LESS own)
      list(APPEND allowed ${other})
    endif()
  endforeach()
  string(REPLACE ";" ", " allowed "${allowed}")

  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  list(SORT sources)
  foreach(source IN LISTS sources)
    math(EXPR scanned "${scanned} + 1")
    file(READ "${SOURCE_DIR}/${source}" text)
    # One list element per line: characters that carry meaning in CMake lists are neutralised
    # first, so that line numbers stay right.
    string(REPLACE "\\" "/" text "${text}")
    string(REPLACE ";" "," text "${text}")
    string(REPLACE "[" "(" text "${text}")
    string(REPLACE "]" ")" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([A-Za-z0-9_]+)/")
        continue()
      endif()
      set(target ${CMAKE_MATCH_1})
      if(target STREQUAL folder)
        continue()
      endif()
      string(STRIP "${line}" line)
      if(NOT DEFINED level_of_${target})
        # A folder of this repository outside the order cannot be judged: it needs a place.
        if(IS_DIRECTORY "${SOURCE_DIR}/${target}")
          list(APPEND problems "${source}:${number}: ${line} -- ${target}/ has no place in the layer order")
          math(EXPR count "${count} + 1")
        endif()
      elseif(NOT level_of_${target} LESS own)
        list(APPEND problems "${source}:${number}: ${line} -- ${folder}/ may include only ${allowed}")
        math(EXPR count "${count} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(count GREATER 0)
  string(REPLACE ";" "\n  " problems "${problems}")
  message(FATAL_ERROR "${count} include(s) against the layer order:\n  ${problems}\n")
endif()
message(STATUS "Layer order kept in ${scanned} files.")
