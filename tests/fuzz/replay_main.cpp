// Runs a fuzz target's input function without libFuzzer, so that its checks run on every
// build: each file of the corpus folders named on the command line once as it is, then a fixed
// number of mutations of it (bytes changed, cut, repeated, or spliced with another file), drawn
// from a seeded generator so every run tries the same inputs. When an input brings the process
// down, the input's origin is written to standard error first.
//
// Usage: replay_TARGET [--mutations N] FOLDER_OR_FILE...
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

char origin[512] = "";

void tell_origin() {
    const char head[] = "replay: the input that failed: ";
    [[maybe_unused]] auto a = write(2, head, sizeof head - 1);
    [[maybe_unused]] auto b = write(2, origin, std::strlen(origin));
    [[maybe_unused]] auto c = write(2, "\n", 1);
}

void on_fatal_signal(int sig) {
    tell_origin();
    signal(sig, SIG_DFL);
    raise(sig);
}

struct input {
    std::string name;
    std::string bytes;
};

std::vector<input> read_inputs(const std::vector<std::string>& places) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const std::string& place : places) {
        if (fs::is_directory(place)) {
            for (const auto& entry : fs::directory_iterator(place))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.emplace_back(place);
        }
    }
    std::sort(files.begin(), files.end()); // the same order, and so the same mutations, always
    std::vector<input> inputs;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            std::exit(2);
        }
        inputs.push_back({file.string(), std::string(std::istreambuf_iterator<char>(in), {})});
    }
    return inputs;
}

// One mutation of `bytes`, in the spirit of a fuzzer's: a few edits of random kinds.
std::string mutate(std::string bytes, const std::string& other, std::mt19937& rng) {
    auto below = [&](std::size_t n) { return n == 0 ? 0 : std::size_t(rng() % n); };
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = below(bytes.size() + 1);
        switch (rng() % 6) {
        case 0: // flip a bit
            if (!bytes.empty()) bytes[below(bytes.size())] ^= char(1u << (rng() % 8));
            break;
        case 1: // a random byte in
            bytes.insert(at, 1, char(rng() & 0xff));
            break;
        case 2: // a stretch out
            bytes.erase(at, below(bytes.size() - at + 1) % 16);
            break;
        case 3: { // a stretch repeated
            const std::size_t len = std::min<std::size_t>(below(bytes.size() - at + 1), 64);
            const std::string piece = bytes.substr(at, len);
            for (int k = 1 + static_cast<int>(rng() % 8); k > 0; --k)
                bytes.insert(at, piece);
            break;
        }
        case 4: { // a stretch of the other input in
            const std::size_t from = below(other.size() + 1);
            bytes.insert(at, other.substr(from, below(other.size() - from + 1) % 128));
            break;
        }
        default: // an interesting character
            static const char marks[] = "\0\n\r\t\"'<>&:{}()_ ,.-9";
            bytes.insert(at, 1, marks[below(sizeof marks - 1)]);
        }
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    int mutations = 0;
    std::vector<std::string> places;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--mutations") == 0 && k + 1 < argc)
            mutations = std::atoi(argv[++k]);
        else
            places.emplace_back(argv[k]);
    }
    const std::vector<input> inputs = read_inputs(places);
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 2;
    }
    for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        signal(sig, on_fatal_signal);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(tell_origin);
#endif

    std::mt19937 rng(20261207);
    long runs = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const input& in = inputs[i];
        std::snprintf(origin, sizeof origin, "%s as it is", in.name.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(in.bytes.data()), in.bytes.size());
        ++runs;
        for (int m = 0; m < mutations; ++m) {
            const std::string& other = inputs[rng() % inputs.size()].bytes;
            const std::string bytes = mutate(in.bytes, other, rng);
            std::snprintf(origin, sizeof origin, "%s, mutation %d (seed 20261207)",
                          in.name.c_str(), m);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++runs;
        }
    }
    std::printf("replay: %ld inputs from %zu files ran through the target\n", runs,
                inputs.size());
    return 0;
}
