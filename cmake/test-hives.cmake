# Hive files for the hive reader's tests (ZV_TEST_HIVES, target test_hives), made by our own
# writer from their description.
set(ZV_TEST_HIVES ${CMAKE_BINARY_DIR}/test-hives)
add_custom_command(
    OUTPUT ${ZV_TEST_HIVES}/SYSTEM
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/hive_writer.py
            ${CMAKE_SOURCE_DIR}/tests/unit/hive/hives.json ${ZV_TEST_HIVES}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/hive_writer.py ${CMAKE_SOURCE_DIR}/tests/unit/hive/hives.json
    COMMENT "Writing the test hives"
    VERBATIM)
add_custom_target(test_hives DEPENDS ${ZV_TEST_HIVES}/SYSTEM)
