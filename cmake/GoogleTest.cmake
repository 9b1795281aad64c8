# GoogleTest for the tests: built with this toolchain from PRICER_GOOGLETEST_SOURCE_DIR where the
# installed one would not link (libc++, mingw-w64, another architecture); the installed one
# otherwise; where there is neither, the pinned release, downloaded once into the build folder.
# Without any, the tests are skipped and the program still builds.
set(PRICER_GOOGLETEST_SOURCE_DIR "" CACHE PATH
    "GoogleTest's source, to build it with this toolchain instead of finding an installed one")
option(PRICER_FETCH_GOOGLETEST "Where no GoogleTest is found, download the release below" ON)
# Debian's source package of this release holds the same archive byte for byte, which is where its
# hash can be checked without reaching the release's host.
set(PRICER_GOOGLETEST_URL "https://github.com/google/googletest/archive/refs/tags/v1.16.0.tar.gz"
    CACHE STRING "GoogleTest's release archive, downloaded where no GoogleTest is found")
set(PRICER_GOOGLETEST_SHA256 "2f54382b5d13d6cd0be2afc524f1e510d37f8ba78c2d439c5bea64ef37e30d01"
    CACHE STRING "SHA256 of the archive at PRICER_GOOGLETEST_URL")
if(NOT PRICER_GOOGLETEST_SOURCE_DIR)
    find_package(GTest QUIET GLOBAL)  # GLOBAL: bench/ has tests too
endif()
if(NOT TARGET GTest::gtest_main AND (PRICER_GOOGLETEST_SOURCE_DIR OR PRICER_FETCH_GOOGLETEST))
    set(gtest_force_shared_crt ON CACHE BOOL "Link GoogleTest with the runtime the project uses")
    set(BUILD_GMOCK OFF CACHE BOOL "Build GoogleMock, which no test uses")
    set(INSTALL_GTEST OFF CACHE BOOL "Install GoogleTest along with the program")
    include(FetchContent)
    if(PRICER_GOOGLETEST_SOURCE_DIR)
        set(FETCHCONTENT_SOURCE_DIR_GOOGLETEST ${PRICER_GOOGLETEST_SOURCE_DIR})  # no download
    else()
        message(STATUS "GoogleTest not found: downloading ${PRICER_GOOGLETEST_URL} (offline, "
                       "-DPRICER_FETCH_GOOGLETEST=OFF skips the tests instead)")
    endif()
    FetchContent_Declare(googletest URL ${PRICER_GOOGLETEST_URL}
                                    URL_HASH SHA256=${PRICER_GOOGLETEST_SHA256})
    FetchContent_MakeAvailable(googletest)
    # Its headers are included as a system's, out of reach of this project's warnings. (Not by
    # FetchContent's SYSTEM, which CMake 3.25.1 hands on to the download as a stray argument.)
    set_target_properties(gtest gtest_main PROPERTIES SYSTEM ON)
endif()
if(NOT TARGET GTest::gtest_main)
    message(WARNING "GoogleTest not found: the tests are skipped. Install it (Debian: "
                    "libgtest-dev), set PRICER_GOOGLETEST_SOURCE_DIR to its source, or turn "
                    "PRICER_FETCH_GOOGLETEST on to download it.")
endif()

