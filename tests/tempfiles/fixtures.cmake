# The temporary file suite starts a child program to see what happens when a program really ends.
add_executable(hv_tempfiles_child ${dir}/fixtures/TempFilesChild.cpp)
target_link_libraries(hv_tempfiles_child PRIVATE hvlib)
set_target_properties(hv_tempfiles_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_${name} hv_tempfiles_child)
