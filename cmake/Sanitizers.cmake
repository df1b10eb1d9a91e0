# SPDX-License-Identifier: GPL-3.0-or-later
# KESTROW_SANITIZE applies to every target: the whole suite runs under the sanitizer.
if(KESTROW_SANITIZE)
    set(_flags -fsanitize=${KESTROW_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${_flags})
    add_link_options(${_flags})
endif()

# ThreadSanitizer's settings for every sanitized program that runs here: the tests and the
# programs the build runs itself (skingen). The suppressions name only Qt's own internals.
# die_after_fork=0: a child that QProcess or posix_spawn forks from a threaded test may start a
# thread before it runs its program.
set(KESTROW_TSAN_OPTIONS
    TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp:die_after_fork=0)

# Fuzz builds instrument all of our code for coverage; only the fuzz programs link libFuzzer.
if(KESTROW_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
