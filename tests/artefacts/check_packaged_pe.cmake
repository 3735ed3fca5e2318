# Unpacks the release zip and runs the PE table check on both DLLs in it, and
# on the 64-bit hook library and companion (-DOBJDUMP64, -DCOMPANION_IMPORTS):
#   cmake -DZIP=... -DWORK=... -DOBJDUMP=... -DCHECK=check_pe_tables.cmake
#         -DTolvarEx_EXPORTS=... -DTolvarEx_IMPORTS=... -DTolvar_EXPORTS=...
#         -DTolvar_IMPORTS=... -P check_packaged_pe.cmake
if(NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "${ZIP} is missing: scripts/package.sh makes it")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${ZIP}" WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()
foreach(dll TolvarEx Tolvar)
  execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP} -DDLL=${WORK}/Tolvar/${dll}.dll
                          "-DEXPORTS=${${dll}_EXPORTS}" "-DALLOWED_IMPORTS=${${dll}_IMPORTS}"
                          -P ${CHECK}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${dll}.dll as packaged fails its PE table check")
  endif()
endforeach()
foreach(file TolvarEx64.dll TolvarHook64.exe)
  if(file STREQUAL "TolvarEx64.dll")
    set(exports "${TolvarEx_EXPORTS}")
    set(imports "${TolvarEx_IMPORTS}")
  else()
    set(exports "")
    set(imports "${COMPANION_IMPORTS}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP64} -DDLL=${WORK}/Tolvar/${file}
                          "-DEXPORTS=${exports}" "-DALLOWED_IMPORTS=${imports}" -P ${CHECK}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${file} as packaged fails its PE table check")
  endif()
endforeach()
