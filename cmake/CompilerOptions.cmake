# Warnings are errors in every build; sanitizer and fuzzer instrumentation are opt-in.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Werror)

if(IMVEXA_SANITIZE OR IMVEXA_FUZZ)
  set(_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_sanitizers})
  add_link_options(${_sanitizers})
endif()

if(IMVEXA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz build needs clang (libFuzzer)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(WIN32)
  # The DLL and the programs must import only system DLLs: the C++ runtime,
  # libgcc and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
