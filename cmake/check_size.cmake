# cmake -DFILE=... -DBUDGET=... -P check_size.cmake
file(SIZE "${FILE}" size)
if(size GREATER BUDGET)
  message(FATAL_ERROR "${FILE} is ${size} bytes, over the ${BUDGET}-byte runtime budget")
endif()
message(STATUS "${FILE}: ${size} of ${BUDGET} bytes")
