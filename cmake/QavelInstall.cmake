# How the programs are installed: `cmake --install build [--prefix P]`, and the Debian package made
# from the same rules (packaging/CMakeLists.txt). Everything lands below the prefix at places
# fixed relative to each other, so the programs find their data from their own folder.
#
#   bin/                         the programs
#   libexec/qavel/               helper programs the programs run
#   lib/qavel/                   modules the programs load when they need them
#   share/qavel/                 the data they need (catalog, view pictures, demo level)
#   share/man/man1/              a manual page per program, made from its --help
#   share/bash-completion/completions/   completion made from a program's --help
#   share/applications, share/icons, share/mime, share/metainfo   the desktop's files
include(GNUInstallDirs)

find_program(QAVEL_HELP2MAN help2man)
find_program(QAVEL_GZIP gzip)
find_package(Python3 COMPONENTS Interpreter)

# qavel_install(<target> [HELPER | MODULE] [MANUAL] [COMPLETION]): installs a program in bin/ (a
# helper program in libexec/qavel/, a module in lib/qavel/); MANUAL adds its manual page made by
# help2man from its --help (packaging/make_manual.sh), with packaging/<target>.h2m for the
# sections the help has not; COMPLETION adds bash completion made from its help by
# packaging/make_completion.py.
# Pages and completion are made at every build of the program, so they cannot fall behind it.
function(qavel_install target)
  cmake_parse_arguments(ARG "HELPER;MODULE;MANUAL;COMPLETION" "" "" ${ARGN})
  if(ARG_HELPER)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/qavel)
  elseif(ARG_MODULE)
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/qavel)
  else()
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  if(ARG_MANUAL)
    _qavel_manual(${target})
  endif()
  if(ARG_COMPLETION)
    _qavel_completion(${target})
  endif()
endfunction()

function(_qavel_manual target)
  if(NOT QAVEL_HELP2MAN OR NOT QAVEL_GZIP)
    message(FATAL_ERROR "help2man and gzip make the manual pages; scripts/setup.sh installs them")
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${target}.1.gz)
  set(include ${CMAKE_SOURCE_DIR}/packaging/${target}.h2m)
  set(script ${CMAKE_SOURCE_DIR}/packaging/make_manual.sh)
  set(depends ${target} ${script})
  if(EXISTS ${include})
    list(APPEND depends ${include})
  endif()
  # The program answers --help and --version before it needs a display.
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh ${script} $<TARGET_FILE:${target}> ${PROJECT_VERSION} ${include} ${page}
    DEPENDS ${depends}
    COMMENT "Writing the manual page of ${target}")
  add_custom_target(${target}_manual ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

function(_qavel_completion target)
  if(NOT Python3_Interpreter_FOUND)
    message(FATAL_ERROR "python3 writes the bash completion; scripts/setup.sh installs it")
  endif()
  set(script ${CMAKE_SOURCE_DIR}/packaging/make_completion.py)
  set(out ${CMAKE_BINARY_DIR}/completion/${target})
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${Python3_EXECUTABLE} ${script} ${target} $<TARGET_FILE:${target}> ${out}
    DEPENDS ${target} ${script}
    COMMENT "Writing the bash completion of ${target}")
  add_custom_target(${target}_completion ALL DEPENDS ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endfunction()
