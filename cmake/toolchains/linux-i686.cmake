# Linux on 32-bit x86 with Debian's cross compiler (g++-i686-linux-gnu). Runs here under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)  # GoogleTest enables C too
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
# Under qemu-i386 (7.2) a forked child of a dynamically linked program hangs, so the end-to-end
# tests, which start the program from the test, cannot run there.
set(PRICER_EMULATOR_CANNOT_FORK ON)
