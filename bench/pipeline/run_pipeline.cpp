// pipeline_run [--runs N] [--square NAME]... CORPUS OUTPUT NAME=PROGRAM [NAME=PROGRAM]
// Thumbnails every file of the CORPUS folder (in name order) with each
// PROGRAM, an imvexa-thumb, N times (default 5): the extractor's square
// thumbnail, which a program named with --square is asked for by that
// option (earlier programs make it by default); with two programs the runs
// alternate, so that both meet the same machine. Thumbnails go to the OUTPUT
// folder. Prints progress on standard error and the markdown table of
// PipelineTable.h on standard output, a row per file as it is done.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "PipelineTable.h"

using namespace imvexa::bench;
namespace fs = std::filesystem;

namespace {

struct Program {
    std::string name;
    std::string path;
    bool square = false;  // the program is given --square
};

struct Options {
    int runs = 5;
    fs::path corpus, output;
    std::vector<Program> programs;
    std::vector<std::string> square;  // names of the programs given --square
};

bool Parse(int argc, char** argv, Options& options) {
    int at = 1;
    if (at + 1 < argc && std::string(argv[at]) == "--runs") {
        options.runs = std::atoi(argv[at + 1]);
        at += 2;
    }
    for (; at + 1 < argc && std::string(argv[at]) == "--square"; at += 2) options.square.push_back(argv[at + 1]);
    if (argc - at < 3 || argc - at > 4 || options.runs < 1) return false;
    options.corpus = argv[at++];
    options.output = argv[at++];
    for (; at < argc; ++at) {
        const std::string text = argv[at];
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0) return false;
        const std::string name = text.substr(0, equals);
        const bool square = std::find(options.square.begin(), options.square.end(), name) != options.square.end();
        options.programs.push_back({name, text.substr(equals + 1), square});
    }
    return true;
}

std::vector<fs::path> CorpusFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.is_regular_file() && item.path().filename().string()[0] != '.') files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads the file once so that every timed run finds it in the page cache.
void Warm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
}

SamePixels Compare(const std::vector<fs::path>& thumbnails, const std::vector<ProgramFigures>& figures) {
    if (thumbnails.size() != 2 || figures[0].failed || figures[1].failed) return SamePixels::Unknown;
    return ReadAll(thumbnails[0]) == ReadAll(thumbnails[1]) ? SamePixels::Yes : SamePixels::No;
}

void Measure(const Options& options, const fs::path& file) {
    Warm(file);
    std::vector<ProgramFigures> figures(options.programs.size());
    std::vector<fs::path> thumbnails;
    for (const Program& program : options.programs)
        thumbnails.push_back(options.output / (program.name + "-" + file.filename().string() + ".bmp"));
    for (int run = 1; run <= options.runs; ++run) {
        for (std::size_t i = 0; i < options.programs.size(); ++i) {
            const Program& program = options.programs[i];
            std::vector<std::string> arguments{program.path, file.string(), thumbnails[i].string()};
            if (program.square) arguments.insert(arguments.begin() + 1, "--square");
            const RunMeasure measure = RunChild(arguments);
            figures[i].Add(measure);
            std::fprintf(stderr, "%s, %s, run %d/%d: %.2f s, %.0f MiB%s\n", file.filename().c_str(),
                         options.programs[i].name.c_str(), run, options.runs, measure.seconds, measure.peakMiB,
                         measure.succeeded ? "" : ", failed");
        }
    }
    const double fileMiB = static_cast<double>(fs::file_size(file)) / (1 << 20);
    std::printf("%s", TableRow(file.filename().string(), fileMiB, figures, Compare(thumbnails, figures)).c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: pipeline_run [--runs N] [--square NAME]... CORPUS OUTPUT NAME=PROGRAM [NAME=PROGRAM]\n");
        return 2;
    }
    try {
        fs::create_directories(options.output);
        std::vector<std::string> names;
        for (const Program& program : options.programs) names.push_back(program.name);
        std::printf("%s", TableHeader(names).c_str());
        const auto start = std::chrono::steady_clock::now();
        for (const fs::path& file : CorpusFiles(options.corpus)) Measure(options, file);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::fprintf(stderr, "pipeline_run: all runs took %.0f s\n", took.count());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pipeline_run: %s\n", error.what());
        return 1;
    }
    return 0;
}
