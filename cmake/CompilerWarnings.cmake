# Warnings are errors in every build of this project, host and Windows alike.
function(brackenfold_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()
