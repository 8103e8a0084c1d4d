# Every first-party target gets the same warning set. CI builds with CELWRIGHT_WERROR so a
# warning never lands unnoticed; local builds stay forgiving while work is in progress.
option(CELWRIGHT_WERROR "Treat compiler warnings as errors" OFF)

function(celwright_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(CELWRIGHT_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
