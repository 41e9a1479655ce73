# Every program of the project carries the table that names routines and source lines in its
# exception reports (scripts/line-table.sh, read back by lib/diagnostics/HvLXLineTable.cpp).
if(NOT CMAKE_NM OR NOT CMAKE_OBJDUMP OR NOT CMAKE_OBJCOPY)
  message(FATAL_ERROR "line tables need the toolchain's nm, objdump and objcopy (binutils-mingw-w64)")
endif()

# Adds the table to every program of the calling folder; each folder that makes programs ends
# with this call.
function(hv_add_line_tables)
  get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/line-table.sh $<TARGET_FILE:${target}> ${CMAKE_NM} ${CMAKE_OBJDUMP} ${CMAKE_OBJCOPY}
        VERBATIM)
      set_target_properties(${target} PROPERTIES HV_LINE_TABLE ON)
    endif()
  endforeach()
endfunction()

# A program of a folder that forgot the call would report bare addresses: stop the configure.
function(hv_check_line_tables)
  set(directories ${CMAKE_SOURCE_DIR})
  while(directories)
    list(POP_FRONT directories dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND directories ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      get_target_property(table ${target} HV_LINE_TABLE)
      if(type STREQUAL "EXECUTABLE" AND NOT table)
        message(FATAL_ERROR "${target} has no line table: end ${dir}/CMakeLists.txt with hv_add_line_tables()")
      endif()
    endforeach()
  endwhile()
endfunction()
