# Writes OUTPUT, the source of qavel::ProgramVersion(): VERSION, and the commit of the checkout in
# SOURCE_DIR when there is one. Run at every build (cmake -P), so a new commit is never missed;
# the file is rewritten only when its text changes, so nothing is rebuilt needlessly.
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND)
  # Only a checkout of this project counts, not one of a folder it was unpacked into.
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --show-toplevel
                  OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=10 HEAD
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  get_filename_component(top "${top}" REALPATH)
  get_filename_component(source "${SOURCE_DIR}" REALPATH)
  if(NOT failed AND commit AND top STREQUAL source)
    # --no-optional-locks: a build must not take the index lock a git command of the user needs.
    execute_process(COMMAND ${GIT_EXECUTABLE} --no-optional-locks -C ${SOURCE_DIR} status
                            --porcelain --untracked-files=no
                    OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(changes)
      set(text "${text} (commit ${commit}, modified)")
    else()
      set(text "${text} (commit ${commit})")
    endif()
  endif()
endif()
set(code "// Written by cmake/ProgramVersion.cmake at build time.
#include \"program/program_version.h\"

const char* qavel::ProgramVersion() { return \"${text}\"; }
")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL code)
  file(WRITE ${OUTPUT} "${code}")
endif()
