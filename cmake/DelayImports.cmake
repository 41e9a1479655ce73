# Import libraries that load their DLL on first use instead of at start. At start the loader
# looks in the program's own folder first, and Windows keeps a planted copy there out only
# for its known DLLs; on first use the program's own search order (System32 only, set before
# any other code runs) applies. The system DLLs that are not known DLLs go through here.
#
# hv_delay_import(<library> <dll>) makes lib<library>_delay.a from the toolchain's import
# library at configure time and sets HV_DELAY_<library> to its path.
function(hv_delay_import library dll)
  set(import /usr/${HV_MINGW_TRIPLET}/lib/lib${library}.a)
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  set(def ${dir}/${library}.def)
  set(out ${dir}/lib${library}_delay.a)
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND ${HV_MINGW_TRIPLET}-nm ${import} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Cannot list the import library ${import} (${HV_MINGW_TRIPLET}-nm: ${status})")
  endif()
  # "... I __imp_Name" on x86-64; "... I __imp__Name@8" on i386, where names carry an
  # underscore and the argument size, which -k drops from the imported name.
  string(REGEX MATCHALL " I __imp_[^\n]+" entries "${symbols}")
  set(text "LIBRARY ${dll}\nEXPORTS\n")
  foreach(entry ${entries})
    string(REGEX REPLACE "^ I __imp_" "" name "${entry}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    string(APPEND text "${name}\n")
  endforeach()
  file(WRITE ${def} "${text}")
  set(kill_at)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill_at -k)
  endif()
  execute_process(COMMAND ${HV_MINGW_TRIPLET}-dlltool --input-def ${def} --output-delaylib ${out} ${kill_at}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Cannot make the delay-load library ${out} (${HV_MINGW_TRIPLET}-dlltool: ${status})")
  endif()
  set(HV_DELAY_${library} ${out} PARENT_SCOPE)
endfunction()
