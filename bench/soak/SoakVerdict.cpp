#include "SoakVerdict.h"

namespace imvexa::bench {

namespace {

template <typename Value>
void Check(std::vector<std::string>& growth, const char* what, Value base, Value now, Value allowed, long at) {
    if (now <= base || now - base <= allowed) return;
    growth.push_back(std::string(what) + " grew by " + std::to_string(now - base) + " (allowed " +
                     std::to_string(allowed) + ") by extraction " + std::to_string(at));
}

}  // namespace

std::vector<std::string> GrowthBeyond(const std::vector<SoakSample>& samples, const SoakTolerance& tolerance) {
    std::vector<std::string> growth;
    if (samples.empty()) return growth;
    const ProcessCounters& base = samples.front().counters;
    for (const SoakSample& sample : samples) {
        const ProcessCounters& now = sample.counters;
        Check(growth, "handles", base.handles, now.handles, tolerance.objects, sample.extractions);
        Check(growth, "GDI objects", base.gdiObjects, now.gdiObjects, tolerance.objects, sample.extractions);
        Check(growth, "USER objects", base.userObjects, now.userObjects, tolerance.objects, sample.extractions);
        Check(growth, "private bytes", base.privateBytes, now.privateBytes, tolerance.privateBytes, sample.extractions);
    }
    return growth;
}

}  // namespace imvexa::bench
