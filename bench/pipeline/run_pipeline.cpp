// pipeline_run [--runs N] [--peers K] CORPUS OUTPUT NAME=COMMAND...
// Thumbnails every file of the CORPUS folder (in name order) with each
// COMMAND N times (default 5); the runs of the programs alternate, so that
// all meet the same machine. A COMMAND is a program's path and its arguments,
// separated by spaces, where {in} stands for the file and {out} for the
// thumbnail; without them, "{in} {out}" follows (an imvexa-thumb). Thumbnails
// go to the OUTPUT folder. Prints progress on standard error and the
// markdown table of PipelineTable.h on standard output as each file is done:
// for one or two imvexa-thumbs, a row per file; with --peers, the last K
// commands are other tools (thumbnails as PNG), with a row per file and
// program and the ratios of the others to them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "PipelineTable.h"

using namespace imvexa::bench;
namespace fs = std::filesystem;

namespace {

struct Program {
    std::string name;
    std::vector<std::string> words;  // with {in} and {out}
};

struct Options {
    int runs = 5;
    std::size_t peers = 0;
    fs::path corpus, output;
    std::vector<Program> programs;
};

std::vector<std::string> Words(const std::string& command) {
    std::vector<std::string> words;
    std::istringstream in(command);
    for (std::string word; in >> word;) words.push_back(word);
    if (std::find(words.begin(), words.end(), "{in}") == words.end()) words.insert(words.end(), {"{in}", "{out}"});
    return words;
}

bool Parse(int argc, char** argv, Options& options) {
    int at = 1;
    for (; at + 1 < argc && std::string(argv[at]).starts_with("--"); at += 2) {
        const std::string option = argv[at];
        const int value = std::atoi(argv[at + 1]);
        if (option == "--runs")
            options.runs = value;
        else if (option == "--peers")
            options.peers = static_cast<std::size_t>(std::max(value, 0));
        else
            return false;
    }
    if (argc - at < 3) return false;
    options.corpus = argv[at++];
    options.output = argv[at++];
    for (; at < argc; ++at) {
        const std::string text = argv[at];
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0) return false;
        options.programs.push_back({text.substr(0, equals), Words(text.substr(equals + 1))});
    }
    const std::size_t count = options.programs.size();
    const bool ours = options.peers == 0 ? count >= 1 && count <= 2 : options.peers < count;
    return ours && options.runs >= 1;
}

// The command's words with the file and the thumbnail in place of {in} and {out}.
std::vector<std::string> Arguments(const Program& program, const fs::path& file, const fs::path& thumbnail) {
    std::vector<std::string> arguments = program.words;
    for (std::string& word : arguments) {
        if (word == "{in}") word = file.string();
        if (word == "{out}") word = thumbnail.string();
    }
    return arguments;
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

std::vector<std::string> Names(const Options& options) {
    std::vector<std::string> names;
    for (const Program& program : options.programs) names.push_back(program.name);
    return names;
}

void Measure(const Options& options, const fs::path& file) {
    Warm(file);
    std::vector<ProgramFigures> figures(options.programs.size());
    std::vector<fs::path> thumbnails;
    const char* format = options.peers > 0 ? ".png" : ".bmp";
    for (const Program& program : options.programs)
        thumbnails.push_back(options.output / (program.name + "-" + file.filename().string() + format));
    for (int run = 1; run <= options.runs; ++run) {
        for (std::size_t i = 0; i < options.programs.size(); ++i) {
            const RunMeasure measure = RunChild(Arguments(options.programs[i], file, thumbnails[i]));
            figures[i].Add(measure);
            std::fprintf(stderr, "%s, %s, run %d/%d: %.2f s, %.0f MiB%s\n", file.filename().c_str(),
                         options.programs[i].name.c_str(), run, options.runs, measure.seconds, measure.peakMiB,
                         measure.succeeded ? "" : ", failed");
        }
    }
    const double fileMiB = static_cast<double>(fs::file_size(file)) / (1 << 20);
    const std::string name = file.filename().string();
    std::printf("%s", options.peers > 0 ? PeerTableRows(name, fileMiB, Names(options), figures, options.peers).c_str()
                                        : TableRow(name, fileMiB, figures, Compare(thumbnails, figures)).c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: pipeline_run [--runs N] [--peers K] CORPUS OUTPUT NAME=COMMAND...\n");
        return 2;
    }
    try {
        fs::create_directories(options.output);
        const std::vector<std::string> names = Names(options);
        std::printf("%s", options.peers > 0 ? PeerTableHeader(names, options.peers).c_str() : TableHeader(names).c_str());
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
