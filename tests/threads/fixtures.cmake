# A child program that ends with managed threads that do not stop, so the suite waits out the
# grace period once, in another process.
add_executable(hv_threads_child ${dir}/fixtures/ManagedThreadsChild.cpp)
target_link_libraries(hv_threads_child PRIVATE hvlib)
set_target_properties(hv_threads_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_${name} hv_threads_child)
