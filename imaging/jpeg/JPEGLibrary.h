#pragma once
// libjpeg's headers, included the one way every JPEG file of the system does.
// jpeglib.h needs FILE and size_t declared before it. Its jconfig.h decides
// the size of the library's `boolean` (one byte in the Windows build, four
// natively): code here uses TRUE and FALSE and never assumes that size.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>
