# How the layers are built: each is a library of its own folder's sources that sees its own
# headers and those of the layers it links, never the whole source tree.

# Warnings every target of ours is built with (third-party code is not). They fail the build
# only with QAVEL_WERROR: a newer compiler's new warning must not stop a user's or a packager's
# build, while the test script keeps the tree free of them.
add_library(qavel_warnings INTERFACE)
target_compile_options(qavel_warnings INTERFACE -Wall -Wextra -Wpedantic
                                                -Wno-missing-field-initializers)
if(QAVEL_WERROR)
  target_compile_options(qavel_warnings INTERFACE -Werror)
endif()

# Makes the headers of `dir` visible as "<name>/header.h" to `target` and to whatever links it.
# The folder is linked (not copied) into a root of its own in the build tree, so that a layer
# that does not link another cannot include its headers either.
function(qavel_include_root target name dir)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  set(link ${root}/${name})
  if(IS_SYMLINK ${link})
    file(READ_SYMLINK ${link} current)
  endif()
  if(NOT current STREQUAL dir)
    file(MAKE_DIRECTORY ${root})
    file(REMOVE ${link})
    file(CREATE_LINK ${dir} ${link} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# qavel_layer(<name> LINKS <targets>...): the library qavel_<name> of src/<name>.
function(qavel_layer name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  set(dir ${CMAKE_SOURCE_DIR}/src/${name})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    message(FATAL_ERROR "The layer src/${name} has no sources; the build needs every layer.")
  endif()
  add_library(qavel_${name} STATIC ${sources})
  qavel_include_root(qavel_${name} ${name} ${dir})
  target_link_libraries(qavel_${name} PUBLIC ${ARG_LINKS} PRIVATE qavel_warnings)
endfunction()

# Adds the subfolder of a layer, or stops the configure when it is missing.
function(qavel_require_folder folder)
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder}/CMakeLists.txt)
    message(FATAL_ERROR "${folder} is missing; the build needs every layer.")
  endif()
  add_subdirectory(${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_BINARY_DIR}/${folder})
endfunction()
