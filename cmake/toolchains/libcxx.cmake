# This machine, with clang and LLVM's standard library (Debian: clang, libc++-dev).
set(CMAKE_C_COMPILER clang)  # GoogleTest enables C too
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)
