# SPDX-License-Identifier: GPL-3.0-or-later
# The project's layers: each folder (base, engine, io, analysis, formats, cli, ui) is a library, and each
# target sees only the folders it builds on. A target's include root is a folder of its own in the
# build tree holding links to just those folders, so `#include "analysis/batch.h"` from engine/
# does not compile: the layering is checked by the compiler, not by review.
function(tobiuo_sees target)
  set(root "${CMAKE_BINARY_DIR}/include-roots/${target}")
  file(MAKE_DIRECTORY "${root}")
  # A folder taken off the list loses its link at the next configure, not only on a clean build.
  file(GLOB linked RELATIVE "${root}" "${root}/*")
  foreach(folder IN LISTS linked)
    if(NOT folder IN_LIST ARGN)
      file(REMOVE "${root}/${folder}")
    endif()
  endforeach()
  foreach(folder IN LISTS ARGN)
    if(NOT EXISTS "${root}/${folder}")
      file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE "${root}")
endfunction()
