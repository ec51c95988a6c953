# Reads cmake/layers.txt and provides vantrell_layer()/vantrell_win32_layer().
# Each layer sees only its own folder and those of the layers below it that it
# may use: every folder is published under its own include root
# (build/layers/<name>/<name> -> source folder), and a target gets the roots
# of its layer's closure, so an include that runs upward fails to compile.

# Publishes a folder of the tree under its own include root; returns the root.
function(vantrell_include_root name out)
  set(_root "${CMAKE_BINARY_DIR}/layers/${name}")
  file(MAKE_DIRECTORY "${_root}")
  if(NOT EXISTS "${_root}/${name}")
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${name}" "${_root}/${name}" SYMBOLIC)
  endif()
  set(${out} "${_root}" PARENT_SCOPE)
endfunction()

file(STRINGS "${CMAKE_SOURCE_DIR}/cmake/layers.txt" _layer_lines REGEX "^[a-z]")
set(VANTRELL_LAYERS "")
foreach(_line IN LISTS _layer_lines)
  string(REGEX REPLACE "[ \t]+" ";" _fields "${_line}")
  list(POP_FRONT _fields _name)
  list(APPEND VANTRELL_LAYERS ${_name})
  set(VANTRELL_LAYER_USES_${_name} ${_fields})
  # Everything below the layer that it may reach, for the Windows adapters.
  set(_closure ${_fields})
  foreach(_use IN LISTS _fields)
    list(APPEND _closure ${VANTRELL_LAYER_BELOW_${_use}})
  endforeach()
  list(REMOVE_DUPLICATES _closure)
  set(VANTRELL_LAYER_BELOW_${_name} ${_closure})
  vantrell_include_root(${_name} _root)
endforeach()

# vantrell_layer(<layer> <sources>...): the portable target vantrell_<layer>.
function(vantrell_layer name)
  add_library(vantrell_${name} STATIC ${ARGN})
  target_include_directories(vantrell_${name} PUBLIC "${CMAKE_BINARY_DIR}/layers/${name}")
  foreach(_use IN LISTS VANTRELL_LAYER_USES_${name})
    target_link_libraries(vantrell_${name} PUBLIC vantrell_${_use})
  endforeach()
  vantrell_warnings(vantrell_${name})
endfunction()

# vantrell_win32_layer(<layer> <sources>...): the Windows adapters of a layer,
# vantrell_<layer>_win32, above the layer and the adapters of what it reaches.
function(vantrell_win32_layer name)
  add_library(vantrell_${name}_win32 STATIC ${ARGN})
  target_link_libraries(vantrell_${name}_win32 PUBLIC vantrell_${name})
  foreach(_use IN LISTS VANTRELL_LAYER_BELOW_${name})
    if(TARGET vantrell_${_use}_win32)
      target_link_libraries(vantrell_${name}_win32 PUBLIC vantrell_${_use}_win32)
    endif()
  endforeach()
  vantrell_warnings(vantrell_${name}_win32)
endfunction()
