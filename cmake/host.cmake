# Host build: the logic against in-memory fakes, unit and contract tests.
file(GLOB_RECURSE ZV_FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
add_library(zv_fakes STATIC ${ZV_FAKE_SOURCES})
target_include_directories(zv_fakes PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(zv_fakes PUBLIC zv_logic)
target_compile_options(zv_fakes PRIVATE ${ZV_WARNINGS})

file(GLOB_RECURSE ZV_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${ZV_UNIT_SOURCES})
target_link_libraries(unit_tests PRIVATE zv_fakes GTest::gtest_main)
target_compile_options(unit_tests PRIVATE ${ZV_WARNINGS})
target_compile_definitions(unit_tests PRIVATE ZV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "host.")

file(GLOB ZV_CONTRACT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/contract/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/contract/host/*.cpp)
if(ZV_CONTRACT_SOURCES)
    add_executable(contract_tests ${ZV_CONTRACT_SOURCES})
    target_include_directories(contract_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(contract_tests PRIVATE zv_fakes GTest::gtest_main)
    target_compile_options(contract_tests PRIVATE ${ZV_WARNINGS})
    gtest_discover_tests(contract_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "host.fake.")
endif()

# The layers: which folder may include which, no cycle, SDK headers only in the Win32 folders.
add_test(NAME host.layout.include_table
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check_layout.py ${CMAKE_SOURCE_DIR})
add_test(NAME host.tools.include_table_check
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/test_check_layout.py)

# The C++ sources are laid out as .clang-format says.
add_test(NAME host.layout.clang_format
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/check_format.py ${CMAKE_SOURCE_DIR})

# The line-table generator's own rules.
add_test(NAME host.tools.line_table_generator
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/test_gen_line_table.py)

# The Wine test runner ends what a test left running and keeps the crash dialog off.
add_test(NAME host.tools.wine_run COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/test_wine_run.py)

# The demo machine's data and the expected-backup lister.
add_test(NAME host.tools.demo_population
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/demo/test_demo.py)
include(${CMAKE_SOURCE_DIR}/cmake/store-bench.cmake)

# The hive reader's test hives, and their writer checked against an independent reader.
include(${CMAKE_SOURCE_DIR}/cmake/test-hives.cmake)
add_dependencies(unit_tests test_hives)
target_compile_definitions(unit_tests PRIVATE ZV_TEST_HIVES="${ZV_TEST_HIVES}")
add_test(NAME host.tools.hive_writer COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/test_hive_writer.py)
