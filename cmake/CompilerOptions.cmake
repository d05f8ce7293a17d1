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

# 32-bit x86 computes every floating-point value in SSE2 doubles, as x64 does:
# the x87 unit's extended precision would round some results differently
# (the reduction's box edges, the thumbnail layout), so the two builds would
# draw different thumbnails. scripts/check-pe.sh holds the DLL to it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "[xX]86|i[3-6]86")
  add_compile_options(-msse2 -mfpmath=sse)
endif()

if(WIN32)
  # The DLL and the programs must import only system DLLs: the C++ runtime,
  # libgcc and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
