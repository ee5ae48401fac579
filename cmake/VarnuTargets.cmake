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
# One include root: every header is included by its folder, "catalogue/Catalogue.h".
target_include_directories(varnu_build_settings INTERFACE ${PROJECT_SOURCE_DIR})
# Generated headers, "varnu/Version.h".
target_include_directories(varnu_build_settings INTERFACE ${PROJECT_BINARY_DIR}/generated)
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

# varnu_add_library(NAME SOURCES... [LINK libs...])
function(varnu_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC varnu_build_settings ${ARG_LINK})
endfunction()

# Fixture files live in <folder>/tests/data, whether the test is declared in <folder> or in <folder>/tests.
function(varnu_test_data_dir out)
    if(CMAKE_CURRENT_SOURCE_DIR MATCHES "/tests$")
        set(${out} "${CMAKE_CURRENT_SOURCE_DIR}/data" PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_CURRENT_SOURCE_DIR}/tests/data" PARENT_SCOPE)
    endif()
endfunction()

# varnu_add_gtest(NAME SOURCES... LINK libs...): a GoogleTest binary whose cases CTest lists one by one.
function(varnu_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE varnu_build_settings GTest::gtest GTest::gtest_main ${ARG_LINK})
    varnu_test_data_dir(data_dir)
    target_compile_definitions(${name} PRIVATE VARNU_TEST_DATA="${data_dir}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endfunction()

# varnu_add_qtest(NAME SOURCES... LINK libs...): a Qt Test binary, one CTest entry, run offscreen.
function(varnu_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE varnu_build_settings Qt6::Test ${ARG_LINK})
    varnu_test_data_dir(data_dir)
    target_compile_definitions(${name} PRIVATE VARNU_TEST_DATA="${data_dir}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
