# A child program that ends with managed threads that do not stop, so the suite waits out the
# grace period once, in another process.
add_executable(hv_threads_child ${dir}/fixtures/ManagedThreadsChild.cpp)
target_link_libraries(hv_threads_child PRIVATE hvlib)
set_target_properties(hv_threads_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(test_${name} hv_threads_child)
# The suite for the 32-bit program under emulation, without the test whose thread dies of an
# access violation: qemu-i386 does not always hand that signal back to Wine (measured: "uncaught
# target signal 11", twice in three runs), so it is shown natively and by the twin only.
add_test(NAME threads_emulated COMMAND test_threads --gtest_brief=1
  --gtest_filter=-ManagedThread.QuietnessFatalExceptionsAndSelfDeletion)
set_tests_properties(threads_emulated PROPERTIES ENVIRONMENT "HV_TEST_BUILD=${CMAKE_BINARY_DIR}")
