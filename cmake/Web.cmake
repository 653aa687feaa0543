# SPDX-License-Identifier: GPL-3.0-or-later
# What the browser's build (emcmake, Debian's emscripten) needs that its toolchain does not find:
# the JSON library is header-only and comes from the system's headers, seen through a folder that
# holds just it (the whole of /usr/include would bring glibc's headers in).
set(TOBIUO_WEB_INCLUDE "${CMAKE_BINARY_DIR}/web-include")
file(MAKE_DIRECTORY "${TOBIUO_WEB_INCLUDE}")
if(NOT EXISTS "${TOBIUO_WEB_INCLUDE}/nlohmann")
  file(CREATE_LINK /usr/include/nlohmann "${TOBIUO_WEB_INCLUDE}/nlohmann" SYMBOLIC)
endif()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE "${TOBIUO_WEB_INCLUDE}")
set(nlohmann_json_FOUND TRUE)
set(nlohmann_json_DIR "${CMAKE_CURRENT_LIST_DIR}")
# The overflow of a run's counters ends the run through an exception: WebAssembly's own, since
# emscripten's JavaScript exceptions would route every call of the game loop through JavaScript.
add_compile_options(-fwasm-exceptions -msimd128)
add_link_options(-fwasm-exceptions)
