# Windows build: Zorvane.exe (i686) or Zorvane64.exe (x86_64), and the tests that run under Wine.
enable_language(RC)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZV_EXE_NAME Zorvane64)
    set(ZV_MANIFEST_ARCH amd64)
    set(ZV_WINE_ARCH x86_64)
else()
    set(ZV_EXE_NAME Zorvane)
    set(ZV_MANIFEST_ARCH x86)
    set(ZV_WINE_ARCH i686)
endif()

# Every Wine run of the tests uses the prefix under this build folder, never a user's own,
# with the Wine of the build's architecture.
set(ZV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-run.sh ${ZV_WINEPREFIX} ${ZV_WINE_ARCH})

file(GLOB_RECURSE ZV_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
add_library(zv_win32 STATIC ${ZV_WIN32_SOURCES})
target_include_directories(zv_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
# The window's DLLs and WinINet are bound on the first call of one of their functions, so a
# command that opens no window starts without them (under Wine they take longer to load than
# a whole small backup takes to copy): the import slots the code calls through are our own,
# written from lazy_imports.txt, and bind through the same code in both builds
# (platform/win32/system_library.h). shell32, ole32, oleaut32, setupapi and newdev are looked
# up by name where a command first needs them, through that same loader.
set(ZV_LAZY_LIST ${CMAKE_SOURCE_DIR}/src/platform/win32/lazy_imports.txt)
set(ZV_LAZY_SOURCE ${CMAKE_BINARY_DIR}/generated/lazy_imports.cpp)
add_custom_command(
    OUTPUT ${ZV_LAZY_SOURCE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_lazy_imports.py ${CMAKE_NM} ${ZV_WINE_ARCH}
            ${ZV_LAZY_LIST} ${ZV_LAZY_SOURCE} ${CMAKE_CXX_COMPILER}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_lazy_imports.py ${ZV_LAZY_LIST}
    COMMENT "Lazily bound imports"
    VERBATIM)
target_sources(zv_win32 PRIVATE ${ZV_LAZY_SOURCE})
# The DLLs' import libraries come after this library on every link line, so the lazy slots
# answer first; they serve the tests' own calls of functions the list does not name (in the
# program such a call would be an import at start, which the exe check refuses).
target_link_libraries(zv_win32 PUBLIC zv_logic advapi32 uuid kernel32 comctl32 gdi32 user32 wininet)
target_compile_definitions(zv_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
target_compile_options(zv_win32 PRIVATE ${ZV_WARNINGS})

# The windows: the main window, the About box, the control wrappers and the pump's keyboard handling.
file(GLOB_RECURSE ZV_UI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/win32/*.cpp)
add_library(zv_ui STATIC ${ZV_UI_SOURCES})
target_link_libraries(zv_ui PUBLIC zv_win32)
target_compile_options(zv_ui PRIVATE ${ZV_WARNINGS})

configure_file(${CMAKE_SOURCE_DIR}/src/resources/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/resources/zorvane.manifest.in ${CMAKE_BINARY_DIR}/generated/zorvane.manifest
               @ONLY)
file(GLOB ZV_RC_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc)
set(ZV_ICON ${CMAKE_BINARY_DIR}/generated/zorvane.ico)
add_custom_command(
    OUTPUT ${ZV_ICON}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${ZV_ICON}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py
    COMMENT "Generating the icon"
    VERBATIM)
set_source_files_properties(${ZV_RC_FILES} PROPERTIES OBJECT_DEPENDS
                            "${ZV_ICON};${CMAKE_BINARY_DIR}/generated/zorvane.manifest")
# The 32-bit Zorvane.exe carries the 64-bit build and hands over to it on 64-bit Windows:
# the windows preset names the windows64 preset's exe, which is built first.
set(ZV_NATIVE_PROGRAM "" CACHE FILEPATH "Zorvane64.exe that the 32-bit Zorvane.exe carries")
set(ZV_NATIVE_RC)
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8 AND ZV_NATIVE_PROGRAM)
    if(EXISTS ${ZV_NATIVE_PROGRAM})
        set(ZV_NATIVE_RC ${CMAKE_BINARY_DIR}/generated/native_program.rc)
        file(WRITE ${ZV_NATIVE_RC}.in "201 RCDATA \"@ZV_NATIVE_PROGRAM@\"\n")
        configure_file(${ZV_NATIVE_RC}.in ${ZV_NATIVE_RC} @ONLY)
        set_source_files_properties(${ZV_NATIVE_RC} PROPERTIES OBJECT_DEPENDS ${ZV_NATIVE_PROGRAM})
    else()
        message(WARNING "${ZV_NATIVE_PROGRAM} is not built yet: Zorvane.exe will not carry the 64-bit program. "
                        "Build the windows64 preset first, then configure this one again.")
    endif()
endif()
add_executable(Zorvane WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${ZV_RC_FILES} ${ZV_NATIVE_RC})
target_include_directories(Zorvane PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/src/resources)
target_link_libraries(Zorvane PRIVATE zv_ui)
target_compile_options(Zorvane PRIVATE ${ZV_WARNINGS})
target_link_options(Zorvane PRIVATE -s)
set_target_properties(Zorvane PROPERTIES OUTPUT_NAME ${ZV_EXE_NAME})
# The exe's format, resources and imports are read from the file by tools/check_exe.py, which
# scripts/test.sh runs on both builds on every machine, also one that cannot run this one.

# A test counts as skipped only by GoogleTest's closing summary of its own run: the default
# pattern also matched a failure whose message printed a test program's bytes, which hold
# that text, and so reported the failure as a skip.
function(zv_wine_tests target)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "wine."
                         PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED . 1 test, listed below" ${ARGN})
endfunction()

file(GLOB ZV_CONTRACT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/contract/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/contract/win32/*.cpp)
if(ZV_CONTRACT_SOURCES)
    add_executable(contract_tests ${ZV_CONTRACT_SOURCES})
    target_include_directories(contract_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(contract_tests PRIVATE zv_win32 GTest::gtest_main)
    target_compile_options(contract_tests PRIVATE ${ZV_WARNINGS})
    zv_wine_tests(contract_tests)
    # The signed files the signature contract reads: made by the build from keys of its own,
    # never kept in the repository.
    set(ZV_TEST_CATALOGS ${CMAKE_BINARY_DIR}/test-catalogs)
    add_custom_command(
        OUTPUT ${ZV_TEST_CATALOGS}/truncated.cat
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_test_catalogs.py ${ZV_TEST_CATALOGS}
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_test_catalogs.py
        COMMENT "Generating the signed test catalogs"
        VERBATIM)
    add_custom_target(test_catalogs DEPENDS ${ZV_TEST_CATALOGS}/truncated.cat)
    add_dependencies(contract_tests test_catalogs)
    target_compile_definitions(contract_tests PRIVATE ZV_TEST_CATALOGS="${ZV_TEST_CATALOGS}")
endif()

# Window and integration tests: the real controls under Wine, driven with scripted dialogs.
file(GLOB_RECURSE ZV_WINE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
# The planted DLL and its probe are programs of their own (below).
list(FILTER ZV_WINE_SOURCES EXCLUDE REGEX "/tests/wine/planted/")
if(ZV_WINE_SOURCES)
    file(GLOB_RECURSE ZV_FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
    add_executable(wine_tests ${ZV_WINE_SOURCES} ${ZV_FAKE_SOURCES})
    target_include_directories(wine_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(wine_tests PRIVATE zv_ui GTest::gtest_main)
    target_compile_options(wine_tests PRIVATE ${ZV_WARNINGS})
    zv_wine_tests(wine_tests RUN_SERIAL TRUE)
endif()

# A newdev.dll planted beside the program must never be the one loaded: the probe lies in
# a folder of its own beside such a DLL and fails when the restore's installer loads it.
add_library(planted_newdev SHARED ${CMAKE_SOURCE_DIR}/tests/wine/planted/newdev.cpp)
add_executable(planted_probe ${CMAKE_SOURCE_DIR}/tests/wine/planted/probe.cpp)
target_link_libraries(planted_probe PRIVATE zv_win32)
target_compile_options(planted_probe PRIVATE ${ZV_WARNINGS})
set_target_properties(planted_newdev PROPERTIES OUTPUT_NAME newdev PREFIX "" RUNTIME_OUTPUT_DIRECTORY
                      ${CMAKE_BINARY_DIR}/planted)
set_target_properties(planted_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
add_dependencies(planted_probe planted_newdev)
add_test(NAME wine.planted_newdev_is_not_loaded COMMAND planted_probe)

if(ZV_WINE_ARCH STREQUAL "i686")
    include(${CMAKE_SOURCE_DIR}/cmake/wow64-tests.cmake)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/windows-extra.cmake OPTIONAL)

# The end-to-end suite's automation program: drives Zorvane.exe from outside, as a person would.
add_executable(zvauto ${CMAKE_SOURCE_DIR}/tests/e2e/zvauto.cpp)
target_compile_definitions(zvauto PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(zvauto PRIVATE comctl32 user32)
target_compile_options(zvauto PRIVATE ${ZV_WARNINGS})
include(${CMAKE_SOURCE_DIR}/cmake/store-bench.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/copy-bench.cmake)

# The hive reader's test hives, for the offline list under Wine (Wine sees the build folder on Z:).
include(${CMAKE_SOURCE_DIR}/cmake/test-hives.cmake)
if(TARGET wine_tests)
    add_dependencies(wine_tests test_hives)
    target_compile_definitions(wine_tests PRIVATE ZV_TEST_HIVES="Z:${ZV_TEST_HIVES}")
endif()
