# The backup run's WOW64 case: the same Windows test executable, run in a 64-bit
# prefix of its own under the build folder, where the 32-bit process is redirected
# from system32 to syswow64. Left out where Wine cannot make 64-bit prefixes.
find_program(ZV_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(ZV_WINE64 AND TARGET wine_tests)
    add_test(NAME wine64.BackupWow64
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix64 wow64
                     $<TARGET_FILE:wine_tests> --gtest_filter=BackupWow64.*)
    set_tests_properties(wine64.BackupWow64 PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
endif()
