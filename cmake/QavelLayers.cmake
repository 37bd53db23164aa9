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
  set_property(GLOBAL APPEND PROPERTY QAVEL_LAYERS qavel_${name})
endfunction()

# Adds the subfolder of a layer, or stops the configure when it is missing.
function(qavel_require_folder folder)
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder}/CMakeLists.txt)
    message(FATAL_ERROR "${folder} is missing; the build needs every layer.")
  endif()
  add_subdirectory(${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_BINARY_DIR}/${folder})
endfunction()

# Lists every layer, and every target of ours with what it reaches through its links (layers and
# outside libraries alike), in layer_links.txt of the build tree: the layer rules test checks the
# Qt modules each layer may reach there. Also makes the target qavel_layers, which builds every
# layer of this configuration. Runs once the whole tree has been configured.
function(qavel_write_link_graph)
  get_property(layers GLOBAL PROPERTY QAVEL_LAYERS)
  set(pending ${CMAKE_SOURCE_DIR})
  set(targets "")
  while(pending)
    list(POP_FRONT pending dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    get_property(own DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    list(APPEND pending ${subdirs})
    list(APPEND targets ${own})
  endwhile()
  set(text "")
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|INTERFACE_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    set(reached "")
    set(queue ${target})
    while(queue)
      list(POP_FRONT queue current)
      get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
      get_target_property(imported ${current} IMPORTED)
      if(NOT imported)
        get_target_property(own_links ${current} LINK_LIBRARIES)
        list(APPEND links ${own_links})
      endif()
      # Entries may be wrapped in generator expressions: every name in them that is a target
      # counts, whatever the condition.
      string(REGEX MATCHALL "[A-Za-z0-9_.+-]+(::[A-Za-z0-9_.+-]+)?" names "${links}")
      foreach(name ${names})
        if(TARGET ${name} AND NOT name IN_LIST reached AND NOT name STREQUAL target)
          list(APPEND reached ${name})
          list(APPEND queue ${name})
        endif()
      endforeach()
    endwhile()
    list(SORT reached)
    list(JOIN reached " " reached)
    if(target IN_LIST layers)
      string(APPEND text "layer ${target}: ${reached}\n")
    else()
      string(APPEND text "target ${target}: ${reached}\n")
    endif()
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/layer_links.txt "${text}")
  add_custom_target(qavel_layers DEPENDS ${layers})
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qavel_write_link_graph)
