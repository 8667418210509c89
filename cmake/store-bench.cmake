# The driver-store look-up benchmark (bench/driver_store_bench.cpp): built with either
# preset, run by hand; it prints figures and is no test.
file(GLOB_RECURSE ZV_BENCH_FAKES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
add_executable(driver_store_bench ${CMAKE_SOURCE_DIR}/bench/driver_store_bench.cpp ${ZV_BENCH_FAKES})
target_include_directories(driver_store_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
if(WIN32)
    target_link_libraries(driver_store_bench PRIVATE zv_win32)
else()
    target_link_libraries(driver_store_bench PRIVATE zv_logic)
endif()
target_compile_options(driver_store_bench PRIVATE ${ZV_WARNINGS})
