# Host links and folders with names Windows refuses are made from the host side, with the
# helpers of the file layer's suite.
target_sources(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/files/FilesTestSupport.cpp)
target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/files)
