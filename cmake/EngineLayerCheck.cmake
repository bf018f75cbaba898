# Stops the configuration when a file of the engine's folders includes a
# header of the window side (ui/ or shell/). Run at every configure; the
# engine's files are globbed with CONFIGURE_DEPENDS, so a new file is seen.
function(orv_check_engine_includes dirs)
  set(offenders)
  foreach(dir ${dirs})
    file(GLOB_RECURSE files ${CMAKE_SOURCE_DIR}/src/${dir}/*.h ${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp)
    foreach(file ${files})
      file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](ui|shell)/")
      if(lines)
        list(APPEND offenders "${file}: ${lines}")
      endif()
    endforeach()
  endforeach()
  if(offenders)
    list(JOIN offenders "\n  " text)
    message(FATAL_ERROR "The engine includes window-side headers:\n  ${text}")
  endif()
endfunction()
