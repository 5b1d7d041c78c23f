# Every target of the project gets the same warning set; CI turns them into errors.
add_library(fonerix_warnings INTERFACE)
target_compile_options(fonerix_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                       -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual)
if(FONERIX_WERROR)
  target_compile_options(fonerix_warnings INTERFACE -Werror)
endif()
