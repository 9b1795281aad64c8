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

# Downloaded here rather than by FetchContent, whose failed download retries for over a minute and
# then stops the configure: offline (a firewall, a train), the program must still build. A file
# that is not the archive expected stops it all the same.
set(googletest_archive "")
set(googletest_missing "")  # why the download did not bring it, where it did not
if(NOT PRICER_GOOGLETEST_SOURCE_DIR AND NOT TARGET GTest::gtest_main AND PRICER_FETCH_GOOGLETEST)
    get_filename_component(name "${PRICER_GOOGLETEST_URL}" NAME)
    set(googletest_archive "${CMAKE_BINARY_DIR}/_deps/${name}")
    string(TOLOWER "${PRICER_GOOGLETEST_SHA256}" expected)
    if(EXISTS "${googletest_archive}")
        file(SHA256 "${googletest_archive}" got)
        if(NOT got STREQUAL expected)  # another URL or hash since
            file(REMOVE "${googletest_archive}")
        endif()
    endif()
    if(NOT EXISTS "${googletest_archive}")
        message(STATUS "GoogleTest not found: downloading ${PRICER_GOOGLETEST_URL}")
        file(DOWNLOAD "${PRICER_GOOGLETEST_URL}" "${googletest_archive}.part" TIMEOUT 10
             STATUS status)
        list(GET status 0 code)
        if(code EQUAL 0)
            file(SHA256 "${googletest_archive}.part" got)
            if(NOT got STREQUAL expected)
                file(REMOVE "${googletest_archive}.part")
                message(FATAL_ERROR "GoogleTest's archive is not the one expected: the SHA256 "
                                    "of ${PRICER_GOOGLETEST_URL} is ${got}, not ${expected}.")
            endif()
            file(RENAME "${googletest_archive}.part" "${googletest_archive}")
        else()
            file(REMOVE "${googletest_archive}.part")
            list(GET status 1 reason)
            string(REGEX REPLACE "^\"(.*)\"$" "\\1" reason "${reason}")
            set(googletest_missing ", nor downloaded from ${PRICER_GOOGLETEST_URL} (${reason})")
            set(googletest_archive "")
        endif()
    endif()
endif()

if(PRICER_GOOGLETEST_SOURCE_DIR OR googletest_archive)
    set(gtest_force_shared_crt ON CACHE BOOL "Link GoogleTest with the runtime the project uses")
    set(BUILD_GMOCK OFF CACHE BOOL "Build GoogleMock, which no test uses")
    set(INSTALL_GTEST OFF CACHE BOOL "Install GoogleTest along with the program")
    include(FetchContent)
    if(PRICER_GOOGLETEST_SOURCE_DIR)
        set(FETCHCONTENT_SOURCE_DIR_GOOGLETEST ${PRICER_GOOGLETEST_SOURCE_DIR})  # no download
    endif()
    FetchContent_Declare(googletest URL "${googletest_archive}"
                                    URL_HASH SHA256=${PRICER_GOOGLETEST_SHA256})
    FetchContent_MakeAvailable(googletest)
    # Its headers are included as a system's, out of reach of this project's warnings. (Not by
    # FetchContent's SYSTEM, which CMake 3.25.1 hands on to the download as a stray argument.)
    set_target_properties(gtest gtest_main PROPERTIES SYSTEM ON)
endif()
if(NOT TARGET GTest::gtest_main)
    message(NOTICE "GoogleTest not found${googletest_missing}: the tests are skipped. Install it "
                   "(Debian: libgtest-dev) or configure with -DPRICER_GOOGLETEST_SOURCE_DIR=its "
                   "source.")
endif()
