# This machine, with clang and LLVM's standard library (Debian: clang, libc++-dev).
set(CMAKE_C_COMPILER clang)  # GoogleTest enables C too
set(CMAKE_CXX_COMPILER clang++)
# With the library's checks of indices, which see a write past an array inside one object where
# AddressSanitizer cannot: _LIBCPP_DEBUG=0 turns on the basic ones in Debian 12's libc++ 14, the
# hardening mode those of libc++ 18 and later (Debian 13's 19); each version ignores the other's.
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++ -D_LIBCPP_DEBUG=0 \
-D_LIBCPP_HARDENING_MODE=_LIBCPP_HARDENING_MODE_EXTENSIVE")
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)
