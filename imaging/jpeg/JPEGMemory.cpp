// libjpeg's memory, in place of the library's plain-heap version: the library
// takes these functions from the program when the program defines them
// (cmake/Dependencies.cmake makes every link take them first). The
// library's large objects, among them a progressive picture's coefficients,
// are kept between pictures (KeptBlocks.h); its small pools come from the
// heap. Nothing is ever moved to a backing store: a picture needing more
// than the memory limit fails.
#include <cstdlib>

#include "JPEGLibrary.h"
#include "KeptBlocks.h"

namespace imvexa {

namespace {

TKeptBlocks keptObjects;  // at the usual limits

}  // namespace

}  // namespace imvexa

struct backing_store_struct;

extern "C" {

void* jpeg_get_small(j_common_ptr, std::size_t size) { return std::malloc(size); }

void jpeg_free_small(j_common_ptr, void* object, std::size_t) { std::free(object); }

void* jpeg_get_large(j_common_ptr, std::size_t size) { return imvexa::keptObjects.Take(size); }

void jpeg_free_large(j_common_ptr, void* object, std::size_t) { imvexa::keptObjects.GiveBack(object); }

// What is left of the memory limit, or everything needed when none is set.
std::size_t jpeg_mem_available(j_common_ptr common, std::size_t, std::size_t maxNeeded, std::size_t allocated) {
    const long limit = common->mem->max_memory_to_use;
    if (limit == 0) return maxNeeded;
    return static_cast<std::size_t>(limit) > allocated ? static_cast<std::size_t>(limit) - allocated : 0;
}

void jpeg_open_backing_store(j_common_ptr common, backing_store_struct*, long) {
    ERREXIT(common, JERR_NO_BACKING_STORE);
}

long jpeg_mem_init(j_common_ptr) { return 0; }

void jpeg_mem_term(j_common_ptr) {}

}  // extern "C"
