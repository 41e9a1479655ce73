# A child program that holds a temporary file stream open until it is killed.
add_executable(hv_storage_child ${dir}/fixtures/TempStreamChild.cpp)
target_link_libraries(hv_storage_child PRIVATE hvlib)
set_target_properties(hv_storage_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_${name} hv_storage_child)
