# The Mac tests of this suite, with fake Mac tools that the tests name to the program (and that
# also stand first on the host PATH, where the program must not take them from).
add_test(NAME internet_on_mac COMMAND bash ${dir}/on_mac.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:test_internet>)
set_tests_properties(internet_on_mac PROPERTIES RESOURCE_LOCK product_traces)  # as the suite (CHANGES_MACHINE_SETTINGS)
# The replaced WinHTTP proxy query on its own, for the runs that start only what differs
# between the builds (the 32-bit program under emulation). The test that also connects through
# the proxy stays with the suite: under emulation its process stopped for good (no processor
# time for minutes) in the WinHTTP request.
add_test(NAME internet_winhttp_replacement COMMAND test_internet --gtest_brief=1
  --gtest_filter=WinHttpProxy.TheQueryAnswersTheProxyOfTheSettings)
set_tests_properties(internet_winhttp_replacement PROPERTIES
  ENVIRONMENT "HV_TEST_BUILD=${CMAKE_BINARY_DIR}" RESOURCE_LOCK product_traces)
