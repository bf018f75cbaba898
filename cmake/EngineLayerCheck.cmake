# The engine never reaches up into the windows: a file of the engine's
# folders that includes a header of ui/ or shell/ (directly or through a
# relative path) stops the build with the names of the offending files.
#
# Included by the project, orv_engine_layer_check(dirs) makes a target that
# runs this file in script mode whenever an engine file changes, and makes
# the engine library depend on it; a new file is seen at the next configure
# (the globs are CONFIGURE_DEPENDS).

set(ORV_ENGINE_LAYER_PATTERN "^[ \t]*#[ \t]*include[ \t]*[\"<](\\.\\./)*(ui|shell)/")

function(orv_engine_files dirs root out)
  set(all)
  foreach(dir ${dirs})
    if(CMAKE_SCRIPT_MODE_FILE)
      file(GLOB_RECURSE files ${root}/src/${dir}/*.h ${root}/src/${dir}/*.cpp)
    else()
      file(GLOB_RECURSE files CONFIGURE_DEPENDS ${root}/src/${dir}/*.h ${root}/src/${dir}/*.cpp)
    endif()
    list(APPEND all ${files})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

function(orv_check_files files)
  set(offenders)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "${ORV_ENGINE_LAYER_PATTERN}")
    if(lines)
      list(APPEND offenders "${file}: ${lines}")
    endif()
  endforeach()
  if(offenders)
    list(JOIN offenders "\n  " text)
    message(FATAL_ERROR "The engine includes window-side headers:\n  ${text}")
  endif()
endfunction()

function(orv_engine_layer_check target dirs)
  orv_engine_files("${dirs}" ${CMAKE_SOURCE_DIR} files)
  orv_check_files("${files}")  # at configure time too, so a bad tree fails early
  set(stamp ${CMAKE_BINARY_DIR}/engine_layer_check.stamp)
  string(REPLACE ";" "," dirList "${dirs}")  # one argument, whatever the shell
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DORV_SOURCE_DIR=${CMAKE_SOURCE_DIR} -DORV_ENGINE_DIRS=${dirList}
            -P ${CMAKE_SOURCE_DIR}/cmake/EngineLayerCheck.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/EngineLayerCheck.cmake
    COMMENT "Checking that the engine includes nothing of the window side"
    VERBATIM)
  add_custom_target(engine_layer_check DEPENDS ${stamp})
  add_dependencies(${target} engine_layer_check)
endfunction()

# Script mode: the build step above.
if(CMAKE_SCRIPT_MODE_FILE AND ORV_SOURCE_DIR)
  string(REPLACE "," ";" dirs "${ORV_ENGINE_DIRS}")
  orv_engine_files("${dirs}" ${ORV_SOURCE_DIR} files)
  orv_check_files("${files}")
endif()
