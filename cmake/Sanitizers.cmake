# KESTROW_SANITIZE applies to every target: the whole suite runs under the sanitizer.
if(KESTROW_SANITIZE)
    set(_flags -fsanitize=${KESTROW_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${_flags})
    add_link_options(${_flags})
endif()

# Fuzz builds instrument all of our code for coverage; only the fuzz programs link libFuzzer.
if(KESTROW_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
