# Each job's folder is one library that shows its users its own headers and nothing
# else. The include root a target exports holds a single link, named like the folder,
# to the folder: "counting/BoardCounter.h" resolves only for a target that links
# tamrex_counting, so an include that breaks the layering fails to build.
function(tamrex_include_root target folder)
  set(root "${PROJECT_BINARY_DIR}/include-roots/${target}")
  get_filename_component(parent "${root}/${folder}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()

# A library of the folder this is called from, named tamrex_FOLDER, over the given sources.
function(tamrex_library name)
  add_library(${name} STATIC ${ARGN})
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  tamrex_include_root(${name} "${folder}")
endfunction()
