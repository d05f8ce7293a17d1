# Third-party libraries. Natively they come from Debian's packages; for the
# Windows builds scripts/install-deps.sh cross-builds them once per machine
# into IMVEXA_DEPS_DIR (see cmake/toolchain-*.cmake).
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# ISA-L's inflater: Debian's libisal-dev natively, the static library that
# install-deps.sh cross-builds for Windows.
find_path(ISAL_INCLUDE_DIR isa-l/igzip_lib.h REQUIRED)
find_library(ISAL_LIBRARY NAMES libisal.a isal REQUIRED)
add_library(imvexa_isal UNKNOWN IMPORTED)
set_target_properties(imvexa_isal PROPERTIES IMPORTED_LOCATION ${ISAL_LIBRARY}
                                             INTERFACE_INCLUDE_DIRECTORIES ${ISAL_INCLUDE_DIR})

if(WIN32)
  find_package(libjpeg-turbo REQUIRED CONFIG)
  set(IMVEXA_JPEG_LIBRARY libjpeg-turbo::jpeg-static)
else()
  find_package(JPEG REQUIRED)
  set(IMVEXA_JPEG_LIBRARY JPEG::JPEG)
endif()
# libjpeg with the program's own memory functions (jpeg_memory, in imaging/):
# the library takes them from the program when the program defines them, so
# the undefined symbol makes every link take them before the library's own.
add_library(imvexa_jpeg INTERFACE)
target_link_libraries(imvexa_jpeg INTERFACE "-Wl,--undefined=jpeg_get_small" jpeg_memory ${IMVEXA_JPEG_LIBRARY})

find_package(GTest REQUIRED CONFIG)
include(GoogleTest)

if(IMVEXA_BENCH AND NOT WIN32 AND NOT IMVEXA_FUZZ)
  find_package(benchmark REQUIRED)
endif()
