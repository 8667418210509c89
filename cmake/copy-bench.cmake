# The hashed-copy benchmark (bench/hashed_copy_bench.cpp), Windows build only; run by
# tools/bench-backup.sh, it prints figures and is no test.
add_executable(hashed_copy_bench ${CMAKE_SOURCE_DIR}/bench/hashed_copy_bench.cpp)
target_link_libraries(hashed_copy_bench PRIVATE zv_win32)
target_compile_options(hashed_copy_bench PRIVATE ${ZV_WARNINGS})
