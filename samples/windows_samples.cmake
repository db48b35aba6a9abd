# cmake -DTOOL=voq-make -DOUT=folder -DRUNTIME32=voq.exe -DRUNTIME64=voq.exe
#       -DSAMPLES="name|gif|option option...,..." -P windows_samples.cmake
# Makes the sample savers on each of the two Windows runtimes that exists.
string(REPLACE "," ";" samples "${SAMPLES}")
foreach(bits 32 64)
  set(runtime ${RUNTIME${bits}})
  if(NOT EXISTS "${runtime}")
    continue()
  endif()
  file(MAKE_DIRECTORY ${OUT}/win${bits})
  foreach(sample ${samples})
    string(REPLACE "|" ";" parts "${sample}")
    list(POP_FRONT parts name gif options)
    set(saver ${OUT}/win${bits}/${name}.scr)
    if(EXISTS ${saver} AND NOT ${runtime} IS_NEWER_THAN ${saver} AND NOT ${gif} IS_NEWER_THAN ${saver}
       AND NOT ${TOOL} IS_NEWER_THAN ${saver})
      continue()
    endif()
    string(REPLACE " " ";" options "${options}")
    execute_process(COMMAND ${TOOL} build --target windows${bits} --picture ${gif} --output ${saver} ${options}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "making ${saver} failed")
    endif()
  endforeach()
endforeach()
