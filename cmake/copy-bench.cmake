# The copy benchmarks (bench/hashed_copy_bench.cpp, bench/hashed_loop.cpp), Windows build
# only; run by tools/bench-backup.sh, they print figures and are no tests.
add_executable(hashed_copy_bench ${CMAKE_SOURCE_DIR}/bench/hashed_copy_bench.cpp)
target_link_libraries(hashed_copy_bench PRIVATE zv_win32)
target_compile_options(hashed_copy_bench PRIVATE ${ZV_WARNINGS})
add_executable(hashed_loop ${CMAKE_SOURCE_DIR}/bench/hashed_loop.cpp)
target_link_libraries(hashed_loop PRIVATE zv_win32)
target_compile_options(hashed_loop PRIVATE ${ZV_WARNINGS})
