// replay FOLDER: feeds every file of FOLDER, in name order, to the fuzz
// target linked into this program, as libFuzzer would. A crash, a trap of
// the target's checks or a sanitizer report ends the program and fails the
// test; a folder that does not exist holds no inputs.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: replay FOLDER\n");
        return 2;
    }
    std::vector<fs::path> inputs;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(argv[1], missing))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::printf("%s\n", input.filename().c_str());
        std::fflush(stdout);  // the name stays on record when the target crashes
        std::ifstream in(input, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // libFuzzer never passes a null pointer, even for no bytes.
        const std::uint8_t none = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
