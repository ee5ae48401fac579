# Project-wide compile settings, applied per target rather than through global flags.

add_library(varnu_build_settings INTERFACE)
# Every warning is an error, in each compiler's words. MSVC also gets the standard's rules
# (/permissive-) and reads the sources as UTF-8, as GCC and Clang do.
if(MSVC)
    target_compile_options(varnu_build_settings INTERFACE /W4 /WX /permissive- /utf-8)
else()
    target_compile_options(varnu_build_settings INTERFACE -Wall -Wextra -Werror)
endif()
# GCC 12 at -O3 reports -Wrestrict, -Warray-bounds and -Wstringop-overread from inside the
# standard library's inlined copies on code that is correct; they stay visible as warnings in a
# Release build instead of stopping it. Every other build keeps them as errors.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(varnu_build_settings INTERFACE
        $<$<CONFIG:Release>:-Wno-error=restrict -Wno-error=array-bounds -Wno-error=stringop-overread>)
endif()
# Headers are included by their folder, "catalogue/Catalogue.h", and each library exposes its
# own alone (VarnuHeaders.cmake): there is no include root for the whole tree.
include(${CMAKE_CURRENT_LIST_DIR}/VarnuHeaders.cmake)
if((VARNU_SANITIZE OR VARNU_FUZZ) AND MSVC)
    message(FATAL_ERROR "VARNU_SANITIZE and VARNU_FUZZ take GCC's or Clang's flags")
endif()
if(VARNU_SANITIZE)
    target_compile_options(varnu_build_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(varnu_build_settings INTERFACE -fsanitize=address,undefined)
endif()
if(VARNU_FUZZ)
    # Coverage for the fuzzer in every library; the fuzz targets add the fuzzer's own main.
    target_compile_options(varnu_build_settings INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(varnu_build_settings INTERFACE -fsanitize=address,undefined)
endif()

# varnu_platform_filter(LIST_VAR): leaves out of a list of sources the files of the other
# systems. Name_unix.cpp is built on Unix (Linux, macOS), Name_win.cpp on Windows.
function(varnu_platform_filter var)
    if(WIN32)
        list(FILTER ${var} EXCLUDE REGEX "_unix\\.cpp$")
    else()
        list(FILTER ${var} EXCLUDE REGEX "_win\\.cpp$")
    endif()
    set(${var} ${${var}} PARENT_SCOPE)
endfunction()

# varnu_add_library(NAME SOURCES... [LINK libs...] [PRIVATE libs...] [HEADERS folder]): LINK what
# the library's headers include, PRIVATE what only its sources include. Its headers are those of
# HEADERS (default: the folder of the calling CMakeLists.txt).
function(varnu_add_library name)
    cmake_parse_arguments(ARG "" "HEADERS" "SOURCES;LINK;PRIVATE" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC varnu_build_settings ${ARG_LINK})
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE})
    if(NOT ARG_HEADERS)
        set(ARG_HEADERS ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    varnu_expose_headers(${name} PUBLIC ${ARG_HEADERS})
endfunction()

# varnu_add_header_library(NAME FOLDER [LINK libs...]): headers alone (test helpers).
function(varnu_add_header_library name folder)
    cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
    varnu_expose_headers(${name} INTERFACE ${folder})
endfunction()

# Fixture files live in <folder>/tests/data, whether the test is declared in <folder> or in <folder>/tests.
function(varnu_test_data_dir out)
    if(CMAKE_CURRENT_SOURCE_DIR MATCHES "/tests$")
        set(${out} "${CMAKE_CURRENT_SOURCE_DIR}/data" PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_CURRENT_SOURCE_DIR}/tests/data" PARENT_SCOPE)
    endif()
endfunction()

# A test binary sees the helpers of its own tests/ folder ("cli/tests/CliRun.h"). Test targets
# exist only with VARNU_TESTS: a folder guards its tests with if(VARNU_TESTS).
function(varnu_test_setup name)
    if(NOT VARNU_TESTS)
        message(FATAL_ERROR "${name}: a test target in a build without VARNU_TESTS")
    endif()
    varnu_test_data_dir(data_dir)
    target_compile_definitions(${name} PRIVATE VARNU_TEST_DATA="${data_dir}")
    get_filename_component(tests_dir ${data_dir} DIRECTORY)
    varnu_expose_headers(${name} PRIVATE ${tests_dir})
endfunction()

# varnu_add_gtest(NAME SOURCES... LINK libs...): a GoogleTest binary whose cases CTest lists one by one.
function(varnu_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    varnu_test_setup(${name})
    target_link_libraries(${name} PRIVATE varnu_build_settings GTest::gtest GTest::gtest_main ${ARG_LINK})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endfunction()

# varnu_add_qtest(NAME SOURCES... LINK libs...): a Qt Test binary, one CTest entry, run offscreen.
function(varnu_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    varnu_test_setup(${name})
    target_link_libraries(${name} PRIVATE varnu_build_settings Qt6::Test ${ARG_LINK})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
