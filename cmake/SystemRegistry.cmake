# Run as a script (cmake -P) at build time: registers the freshly built control with
# fonerix-regsvr in a scratch configuration folder, and keeps that registry file with every
# library path replaced by @FONERIX_CONTROL_LIBRARY@. Installing fills the placeholder with the
# installed library's path and writes the result as /etc/fonerix/registry.ini, so the system
# file holds exactly the sections the library writes for itself.
#   -DREGSVR=<fonerix-regsvr> -DLIBRARY=<libfonerix.so> -DWORK_DIR=<scratch> -DOUTPUT=<file>
foreach(var REGSVR LIBRARY WORK_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "SystemRegistry.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(ENV{XDG_CONFIG_HOME} "${WORK_DIR}")
execute_process(COMMAND "${REGSVR}" "${LIBRARY}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "fonerix-regsvr ${LIBRARY} failed (${rc}): ${out}${err}")
endif()

file(READ "${WORK_DIR}/fonerix/registry.ini" registry)
string(REGEX MATCHALL "(^|\n)[Ll][Ii][Bb][Rr][Aa][Rr][Yy]=" paths "${registry}")
if(NOT paths)
  message(FATAL_ERROR "fonerix-regsvr wrote no library path into ${WORK_DIR}/fonerix/registry.ini")
endif()
string(REGEX REPLACE "(^|\n)[Ll][Ii][Bb][Rr][Aa][Rr][Yy]=[^\n]*" "\\1Library=@FONERIX_CONTROL_LIBRARY@"
       registry "${registry}")
set(text "; The FONERIX control, registered for every user of this system. A user's own\n")
string(APPEND text "; registration (fonerix-regsvr, in ~/.config/fonerix/registry.ini) comes first.\n")
string(APPEND text "${registry}")
file(WRITE "${OUTPUT}.tmp" "${text}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE_RECURSE "${WORK_DIR}")
