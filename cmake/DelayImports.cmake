# Import libraries that load their DLL on first use instead of at start. At start the loader
# looks in the program's own folder first, and Windows keeps a planted copy there out only
# for its known DLLs; on first use the program's own search order (System32 only, set before
# any other code runs) applies. The system DLLs that are not known DLLs go through here.
#
# hv_delay_import(<library> <dll>) makes lib<library>_delay.a from the toolchain's import
# library at configure time (scripts/delay-import-lib.sh) and sets HV_DELAY_<library> to its path.
function(hv_delay_import library dll)
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  set(out ${dir}/lib${library}_delay.a)
  set(script ${CMAKE_SOURCE_DIR}/scripts/delay-import-lib.sh)
  set(import /usr/${HV_MINGW_TRIPLET}/lib/lib${library}.a)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
  # Made again only when its inputs changed: a new library relinks every program.
  if(NOT EXISTS ${out} OR ${script} IS_NEWER_THAN ${out} OR ${import} IS_NEWER_THAN ${out})
    file(MAKE_DIRECTORY ${dir})
    execute_process(COMMAND bash ${script} ${HV_MINGW_TRIPLET} ${library} ${dll} ${dir} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "Cannot make the delay-load library ${out} (scripts/delay-import-lib.sh: ${status})")
    endif()
  endif()
  set(HV_DELAY_${library} ${out} PARENT_SCOPE)
endfunction()
