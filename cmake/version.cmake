# The program's version, defined here and nowhere else. The version resource
# (resources/tianti.rc, through the configured tianti_version.h) and the
# release package's name (tools/package.sh) read it; the manifest's assembly
# version is checked against it below.
#
# TIANTI_VERSION is the version as people write it: MAJOR.MINOR, optionally
# followed by a pre-release letter and number ("0.99a2"). The resource's
# numeric form is MAJOR,MINOR,0,NUMBER ("0,99,0,2").
#
# In script mode (cmake -P cmake/version.cmake) it prints TIANTI_VERSION.
set(TIANTI_VERSION "0.99a2")

if(NOT TIANTI_VERSION MATCHES "^([0-9]+)\\.([0-9]+)([a-z]+([0-9]+))?$")
  message(FATAL_ERROR "TIANTI_VERSION \"${TIANTI_VERSION}\" is not MAJOR.MINOR[letterNUMBER]")
endif()
set(TIANTI_VERSION_MAJOR ${CMAKE_MATCH_1})
set(TIANTI_VERSION_MINOR ${CMAKE_MATCH_2})
set(TIANTI_VERSION_BUILD 0)
if(CMAKE_MATCH_4)
  set(TIANTI_VERSION_BUILD ${CMAKE_MATCH_4})
endif()
# For project(VERSION ...).
set(TIANTI_VERSION_NUMERIC "${TIANTI_VERSION_MAJOR}.${TIANTI_VERSION_MINOR}.0.${TIANTI_VERSION_BUILD}")

if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${TIANTI_VERSION}")
else()
  # The manifest is a plain resource file that bench programs share; its
  # assembly version has to be written out, so it is held to this one here.
  file(READ ${CMAKE_CURRENT_LIST_DIR}/../resources/tianti.exe.manifest _tianti_manifest)
  string(FIND "${_tianti_manifest}" "name=\"tianti\" version=\"${TIANTI_VERSION_NUMERIC}\"" _tianti_at)
  if(_tianti_at LESS 0)
    message(FATAL_ERROR "resources/tianti.exe.manifest: the assembly version is not "
                        "${TIANTI_VERSION_NUMERIC}, the version of cmake/version.cmake")
  endif()
endif()
