# Warnings for our own targets: call obravel_warnings(target) on each.
function(obravel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(OBRAVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
