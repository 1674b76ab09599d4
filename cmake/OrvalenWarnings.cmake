# Warnings are errors for the project's own targets only; third-party headers
# (wxWidgets, GoogleTest) are included as system headers so they do not trip them.
function(orvalen_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
