#include "ThreadScaling.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "PhotoField.h"

namespace imvexa::bench {

namespace {

using Clock = std::chrono::steady_clock;

struct Spread {
    double median, low, high;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return {n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2, values.front(), values.back()};
}

void PrintSpread(const std::string& label, const std::vector<double>& values, int decimals) {
    const Spread s = SpreadOf(values);
    std::printf("  %-38s median %.*f (range %.*f-%.*f)\n", label.c_str(), decimals, s.median, decimals, s.low, decimals,
                s.high);
}

}  // namespace

ScalingOptions ParseScalingOptions(int argc, char** argv) {
    ScalingOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--threads") == 0) options.threads = value;
        if (std::strcmp(argv[i], "--rounds") == 0) options.rounds = value;
        if (std::strcmp(argv[i], "--repetitions") == 0) options.repetitions = value;
    }
    return options;
}

double SecondsAtOnce(int threads, const std::function<Work(int thread)>& prepare) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<Clock::time_point> ends(static_cast<std::size_t>(threads));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            const Work work = prepare(t);
            ++ready;
            while (!go) std::this_thread::yield();
            work();
            ends[static_cast<std::size_t>(t)] = Clock::now();
        });
    while (ready < threads) std::this_thread::yield();
    const Clock::time_point start = Clock::now();
    go = true;
    for (auto& worker : workers) worker.join();
    return std::chrono::duration<double>(*std::max_element(ends.begin(), ends.end()) - start).count();
}

double PicturesPerSecond(int threads, int pictures) {
    constexpr int kWidth = 1600, kHeight = 1200;
    const double seconds = SecondsAtOnce(threads, [pictures](int) -> Work {
        return [pictures] {
            std::vector<std::uint8_t> row(kWidth * 3);
            for (int p = 0; p < pictures; ++p) {
                PhotoField field(kWidth, kHeight, 6);
                for (int y = 0; y < kHeight; ++y) field.Row(y, 3, row.data());
            }
        };
    });
    return static_cast<double>(threads) * pictures / seconds;
}

void Pairs::Measure(int threads, const std::function<double(int threads)>& rate) {
    const bool oneFirst = one.size() % 2 == 0;
    const double first = rate(oneFirst ? 1 : threads);
    const double second = rate(oneFirst ? threads : 1);
    one.push_back(oneFirst ? first : second);
    many.push_back(oneFirst ? second : first);
    ratios.push_back(many.back() / one.back());
}

void PrintScaling(const std::string& unit, int threads, const Pairs& work, const Pairs& ceiling) {
    const std::string many = std::to_string(threads) + " threads";
    std::vector<double> relative;
    for (std::size_t i = 0; i < work.ratios.size(); ++i) relative.push_back(work.ratios[i] / ceiling.ratios[i]);
    PrintSpread(unit + ", 1 thread:", work.one, 1);
    PrintSpread(unit + ", " + many + ":", work.many, 1);
    PrintSpread(many + " / 1 thread:", work.ratios, 2);
    PrintSpread("the machine's ceiling, " + many + " / 1:", ceiling.ratios, 2);
    PrintSpread("that ratio / the ceiling's:", relative, 2);
}

}  // namespace imvexa::bench
