# pricer_options carries the flags of every target in the project, one branch per compiler; each
# target links it. A price must have the same bits on every build: each intermediate rounded to
# double, nothing fused or reordered.
add_library(pricer_options INTERFACE)

if(MSVC)  # cl, and clang-cl
    if(CMAKE_CXX_COMPILER_ID STREQUAL "MSVC" AND MSVC_VERSION LESS 1930)
        message(FATAL_ERROR "MSVC before Visual Studio 2022 (19.30) may contract floating-point "
                            "arithmetic under /fp:precise, so prices could differ from other builds.")
    endif()
    target_compile_options(pricer_options INTERFACE /W4 /permissive- /fp:precise
                                                    $<$<BOOL:${PRICER_WERROR}>:/WX>)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "MSVC")
        target_compile_options(pricer_options INTERFACE /clang:-ffp-contract=off)
    endif()
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_compile_options(pricer_options INTERFACE /arch:SSE2)
    endif()
    return()
endif()

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(WARNING "${CMAKE_CXX_COMPILER_ID} is untried: give it flags that keep floating-point "
                    "arithmetic unfused and in order, or prices may differ from other builds.")
    return()
endif()

# -fno-math-errno comes after -fno-fast-math, which would turn errno back on: nothing reads errno,
# and without it sqrt vectorises, giving the same correctly rounded square roots.
target_compile_options(pricer_options INTERFACE -ffp-contract=off -fno-fast-math -fno-math-errno
                                                -Wall -Wextra -Wpedantic
                                                $<$<BOOL:${PRICER_WERROR}>:-Werror>)

# The x87 unit of 32-bit x86 keeps intermediates in 80-bit registers; SSE2 arithmetic rounds each
# to double. FLT_EVAL_METHOD tells which the compiler does.
include(CheckCXXSourceCompiles)
set(rounds_to_double "#include <cfloat>\n#if FLT_EVAL_METHOD != 0\n#error\n#endif\nint main() {}")
check_cxx_source_compiles("${rounds_to_double}" PRICER_ROUNDS_TO_DOUBLE)
if(NOT PRICER_ROUNDS_TO_DOUBLE)
    set(CMAKE_REQUIRED_FLAGS "-msse2 -mfpmath=sse")
    check_cxx_source_compiles("${rounds_to_double}" PRICER_ROUNDS_TO_DOUBLE_WITH_SSE2)
    unset(CMAKE_REQUIRED_FLAGS)
    if(NOT PRICER_ROUNDS_TO_DOUBLE_WITH_SSE2)
        message(FATAL_ERROR "This target keeps floating-point intermediates wider than double "
                            "(FLT_EVAL_METHOD is not 0), even with -msse2 -mfpmath=sse, so prices "
                            "would differ from other builds.")
    endif()
    target_compile_options(pricer_options INTERFACE -msse2 -mfpmath=sse)
endif()

if(PRICER_SANITIZE)
    target_compile_options(pricer_options INTERFACE -fsanitize=${PRICER_SANITIZE}
                                                    -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(pricer_options INTERFACE -fsanitize=${PRICER_SANITIZE})
endif()
if(PRICER_BUILD_FUZZER)
    # Coverage feedback from the code under test too.
    target_compile_options(pricer_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
