# The Windows runtimes that a Linux build uses: the tool's defaults, the
# Windows sample savers, the size check, the Wine tests, the maker's tests and
# the package all take them from here. VOQ_WIN32_RUNTIME / VOQ_WIN64_RUNTIME
# name existing ones (scripts/test-all.sh passes the win32 and win64 presets'
# builds); otherwise they are built here from the same sources with the
# MinGW toolchains and the presets' flags, so that they follow the code.
#
# Sets VOQ_RUNTIME_i686 and VOQ_RUNTIME_x86_64 (empty when neither given nor
# buildable) and VOQ_WINDOWS_RUNTIME_TARGETS, the targets that build them.
set(VOQ_WIN32_RUNTIME "" CACHE FILEPATH "i686 voq.exe to use instead of building one here")
set(VOQ_WIN64_RUNTIME "" CACHE FILEPATH "x86_64 voq.exe to use (and run under Wine) instead of building one here")

include(ExternalProject)
set(VOQ_WINDOWS_RUNTIME_TARGETS)
foreach(arch IN ITEMS i686 x86_64)
  if(arch STREQUAL i686)
    set(given "${VOQ_WIN32_RUNTIME}")
  else()
    set(given "${VOQ_WIN64_RUNTIME}")
  endif()
  set(VOQ_RUNTIME_${arch} "${given}")
  if(given)
    continue()
  endif()
  find_program(VOQ_MINGW_${arch} ${arch}-w64-mingw32-g++)
  if(NOT VOQ_MINGW_${arch})
    message(WARNING "${arch}-w64-mingw32-g++ not found: no ${arch} Windows runtime in this build")
    continue()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/windows-${arch})
  ExternalProject_Add(voq_windows_${arch}
    SOURCE_DIR ${VOQ_ROOT}
    BINARY_DIR ${dir}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${VOQ_ROOT}/cmake/mingw-${arch}.cmake
               -DCMAKE_BUILD_TYPE=MinSizeRel -DVOQ_SITE_HOST=${VOQ_SITE_HOST}
    # One job: the outer build runs its own next to it on a shared machine.
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${dir} --target voq -j 1
    BUILD_ALWAYS TRUE
    BUILD_BYPRODUCTS ${dir}/voq.exe
    INSTALL_COMMAND "")
  set(VOQ_RUNTIME_${arch} ${dir}/voq.exe)
  list(APPEND VOQ_WINDOWS_RUNTIME_TARGETS voq_windows_${arch})
endforeach()
