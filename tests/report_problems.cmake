# For the check scripts: prints each problem on a line of its own, unwrapped, for their
# self-tests to match, and fails with the count and `what` when there is any.
function(report_problems what)
  foreach(problem ${ARGN})
    message(NOTICE "${problem}")
  endforeach()
  list(LENGTH ARGN count)
  if(count GREATER 0)
    message(FATAL_ERROR "${count} ${what}")
  endif()
endfunction()
