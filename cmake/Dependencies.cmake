# Third-party libraries. Natively they come from Debian's packages; for the
# Windows builds scripts/install-deps.sh cross-builds them once per machine
# into IMVEXA_DEPS_DIR (see cmake/toolchain-*.cmake).
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

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
