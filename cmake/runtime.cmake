# Flags that keep the runtime small enough for its budget.
function(voq_runtime_flags target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables>
    -Os -ffunction-sections -fdata-sections -Wall -Wextra)
endfunction()

# Links a runtime executable stripped and checks it against the budget.
function(voq_runtime_link target)
  target_link_options(${target} PRIVATE -Wl,--gc-sections)
  if(NOT VOQ_SANITIZE AND NOT VOQ_FUZZ)
    target_link_options(${target} PRIVATE -s)
  endif()
  if(WIN32)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
  if(NOT VOQ_SANITIZE AND NOT VOQ_FUZZ)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DBUDGET=${VOQ_RUNTIME_BUDGET}
              -P ${VOQ_ROOT}/cmake/check_size.cmake
      VERBATIM)
  endif()
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt: each
# module's tests, each benchmark.
function(voq_add_subfolders)
  file(GLOB dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${dirs})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
