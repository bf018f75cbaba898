# The engine's folders include one another one way only, and never reach up
# into the windows. Each engine folder has a row below naming the folders it
# may include (besides itself); a file that includes a header of any other
# folder of src/ (directly, through a relative path or in angle brackets),
# ui/ and gui/ included, stops the build with the names of the offending
# files. A new engine folder needs its row.
#
# Included by the project, orv_engine_layer_check(dirs) makes a target that
# runs this file in script mode whenever an engine file changes, and makes
# the engine library depend on it; a new file is seen at the next configure
# (the globs are CONFIGURE_DEPENDS).

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_policy(VERSION 3.20)  # IN_LIST and the rest, as the project has them
endif()

# Lowest first: platform/ and formats/ (pure text) need nothing of ours.
set(ORV_LAYER_platform "")
set(ORV_LAYER_formats "")
set(ORV_LAYER_common platform formats)
set(ORV_LAYER_backup platform common formats)
set(ORV_LAYER_startup platform common formats backup)
set(ORV_LAYER_registry_scan platform common formats backup)
set(ORV_LAYER_history platform common formats)
set(ORV_LAYER_snapshots platform common formats backup startup)

# The window side: no engine folder includes these.
set(ORV_WINDOW_DIRS ui gui)

function(orv_engine_files dir root out)
  if(CMAKE_SCRIPT_MODE_FILE)
    file(GLOB_RECURSE files ${root}/src/${dir}/*.h ${root}/src/${dir}/*.cpp)
  else()
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${root}/src/${dir}/*.h ${root}/src/${dir}/*.cpp)
  endif()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# Every file of every engine folder checked against its folder's row; the
# files checked are returned for the build step's dependencies.
function(orv_check_layers dirs root out)
  set(known ${dirs} ${ORV_WINDOW_DIRS})
  list(JOIN known "|" knownAlternatives)
  set(pattern "^[ \t]*#[ \t]*include[ \t]*[\"<](\\.\\./)*(${knownAlternatives})/")
  set(all)
  set(offenders)
  foreach(dir ${dirs})
    if(NOT DEFINED ORV_LAYER_${dir})
      message(FATAL_ERROR "The engine folder ${dir} has no row in cmake/EngineLayerCheck.cmake")
    endif()
    orv_engine_files(${dir} ${root} files)
    list(APPEND all ${files})
    foreach(file ${files})
      file(STRINGS ${file} lines REGEX "${pattern}")
      foreach(line ${lines})
        string(REGEX MATCH "${pattern}" found "${line}")
        set(included ${CMAKE_MATCH_2})
        if(included STREQUAL dir OR included IN_LIST ORV_LAYER_${dir})
          continue()
        endif()
        if(included IN_LIST ORV_WINDOW_DIRS)
          list(APPEND offenders "${file}: ${line}  (the window side)")
        else()
          list(JOIN ORV_LAYER_${dir} ", " allowed)
          if(NOT allowed)
            set(allowed "none")
          endif()
          list(APPEND offenders "${file}: ${line}  (${dir}/ may include only: ${allowed})")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(offenders)
    list(JOIN offenders "\n  " text)
    message(FATAL_ERROR "The engine includes a folder it may not:\n  ${text}")
  endif()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

function(orv_engine_layer_check target dirs)
  orv_check_layers("${dirs}" ${CMAKE_SOURCE_DIR} files)  # at configure time too, so a bad tree fails early
  set(stamp ${CMAKE_BINARY_DIR}/engine_layer_check.stamp)
  string(REPLACE ";" "," dirList "${dirs}")  # one argument, whatever the shell
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DORV_SOURCE_DIR=${CMAKE_SOURCE_DIR} -DORV_ENGINE_DIRS=${dirList}
            -P ${CMAKE_SOURCE_DIR}/cmake/EngineLayerCheck.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/EngineLayerCheck.cmake
    COMMENT "Checking that each engine folder includes only the folders below it"
    VERBATIM)
  add_custom_target(engine_layer_check DEPENDS ${stamp})
  add_dependencies(${target} engine_layer_check)
endfunction()

# Script mode: the build step above.
if(CMAKE_SCRIPT_MODE_FILE AND ORV_SOURCE_DIR)
  string(REPLACE "," ";" dirs "${ORV_ENGINE_DIRS}")
  orv_check_layers("${dirs}" ${ORV_SOURCE_DIR} files)
endif()
