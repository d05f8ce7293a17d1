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
  add_library(imvexa_jpeg ALIAS libjpeg-turbo::jpeg-static)
else()
  find_package(JPEG REQUIRED)
  add_library(imvexa_jpeg ALIAS JPEG::JPEG)
endif()

find_package(GTest REQUIRED CONFIG)
include(GoogleTest)

if(IMVEXA_BENCH AND NOT WIN32 AND NOT IMVEXA_FUZZ)
  find_package(benchmark REQUIRED)
endif()
