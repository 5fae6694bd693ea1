# Dependencies cross-built by tools/setup.sh into a cache outside the repository;
# deps.cmake there names the versioned folders. Targets are per triple.
if(NOT DEFINED TARVO_DEPS_DIR)
    if(DEFINED ENV{TARVO_DEPS})
        set(TARVO_DEPS_DIR "$ENV{TARVO_DEPS}")
    else()
        set(TARVO_DEPS_DIR "$ENV{HOME}/.cache/tarvo-installer-deps")
    endif()
endif()
if(NOT EXISTS "${TARVO_DEPS_DIR}/deps.cmake")
    message(FATAL_ERROR "Dependencies missing: run tools/setup.sh first")
endif()
include("${TARVO_DEPS_DIR}/deps.cmake")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${TARVO_DEPS_DIR}/deps.cmake")

set(_curl "${TARVO_CURL_ROOT}/${TARVO_TRIPLE}")
add_library(tarvo_libcurl STATIC IMPORTED GLOBAL)
set_target_properties(tarvo_libcurl PROPERTIES
    IMPORTED_LOCATION "${_curl}/lib/libcurl.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_curl}/include"
    INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB
    INTERFACE_LINK_LIBRARIES "winmm;ws2_32;advapi32;crypt32;bcrypt")
set(TARVO_CURL_EXE "${_curl}/bin/curl.exe")

set(_json "${TARVO_JSONCPP_ROOT}/${TARVO_TRIPLE}")
add_library(tarvo_jsoncpp STATIC IMPORTED GLOBAL)
set_target_properties(tarvo_jsoncpp PROPERTIES
    IMPORTED_LOCATION "${_json}/lib/libjsoncpp.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_json}/include")

set(_gtest "${TARVO_GTEST_ROOT}/${TARVO_TRIPLE}")
add_library(tarvo_gtest STATIC IMPORTED GLOBAL)
set_target_properties(tarvo_gtest PROPERTIES
    IMPORTED_LOCATION "${_gtest}/lib/libgtest.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_gtest}/include")
add_library(tarvo_gmock STATIC IMPORTED GLOBAL)
set_target_properties(tarvo_gmock PROPERTIES
    IMPORTED_LOCATION "${_gtest}/lib/libgmock.a"
    INTERFACE_LINK_LIBRARIES tarvo_gtest)
add_library(tarvo_gtest_main STATIC IMPORTED GLOBAL)
set_target_properties(tarvo_gtest_main PROPERTIES
    IMPORTED_LOCATION "${_gtest}/lib/libgtest_main.a"
    INTERFACE_LINK_LIBRARIES tarvo_gtest)

# The LZMA SDK's C sources (7z reading) are compiled by the skin reader itself.
set(TARVO_LZMA_C "${TARVO_LZMA_ROOT}")
set(TARVO_STB_INCLUDE /usr/include/stb)
