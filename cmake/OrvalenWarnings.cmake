# Warnings are on for the project's own targets; with ORVALEN_WERROR they are errors (CI turns
# it on; users and packagers keep a build that a newer compiler's new warning cannot stop).
# Third-party headers (wxWidgets, GoogleTest) are included as system headers so they do not
# trip them.
function(orvalen_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${ORVALEN_WERROR}>:-Werror>)
endfunction()
