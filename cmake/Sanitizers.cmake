if(FONERIX_ASAN AND FONERIX_TSAN)
  message(FATAL_ERROR "FONERIX_ASAN and FONERIX_TSAN cannot be combined")
endif()

if(FONERIX_ASAN)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(FONERIX_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(FONERIX_COVERAGE)
  add_compile_options(--coverage -O0)
  add_link_options(--coverage)
endif()
