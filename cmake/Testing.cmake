# SPDX-License-Identifier: GPL-3.0-or-later
find_package(GTest REQUIRED)
include(GoogleTest)

# Tests write below the build folder, never into the user's own folders.
set(KESTROW_TEST_TMP ${CMAKE_BINARY_DIR}/test-tmp)
file(MAKE_DIRECTORY ${KESTROW_TEST_TMP})
set(KESTROW_TEST_ENV
    TMPDIR=${KESTROW_TEST_TMP}
    QT_QPA_PLATFORM=offscreen
    KESTROW_SOURCE_DIR=${CMAKE_SOURCE_DIR}
    KESTROW_BIN_DIR=${KESTROW_BIN_DIR}
    # intercept_tls_get_addr=0: GCC 12's runtime takes some dynamic TLS blocks for an old glibc
    # layout and its leak check then crashes at exit, at random, in tests that passed.
    ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:intercept_tls_get_addr=0
    LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp
    ${KESTROW_TSAN_OPTIONS}
    UBSAN_OPTIONS=print_stacktrace=1)

# kestrow_add_test(<name> SOURCES ... [LIBS ...] [QT] [LABELS ...] [ENVIRONMENT ...])
# One GoogleTest program; every case becomes one CTest test. QT programs get a main that
# creates a QApplication on the offscreen platform.
function(kestrow_add_test name)
    cmake_parse_arguments(T "QT" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${T_LIBS} kestrow_test_support GTest::gmock GTest::gtest
                                          kestrow_warnings)
    if(T_QT)
        target_link_libraries(${name} PRIVATE kestrow_test_main_qt Qt6::Widgets)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    set(properties TIMEOUT 120)
    if(T_LABELS)
        list(APPEND properties LABELS "${T_LABELS}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ${properties})
    # gtest_discover_tests spreads a list value over its property list (only the first
    # variable would be set), so the environment is set on the discovered tests afterwards.
    set(environment "${KESTROW_TEST_ENV};${T_ENVIRONMENT}")
    set(env_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
    file(WRITE ${env_file}
         "foreach(test IN LISTS ${name}_TESTS)\n"
         "    set_tests_properties(\"\${test}\" PROPERTIES ENVIRONMENT [==[${environment}]==])\n"
         "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_file})
endfunction()
