// Replays fuzz inputs without libFuzzer, in the normal build and under its
// sanitizers: every file of the folders (or the files) named on the command
// line goes once to the target's LLVMFuzzerTestOneInput. A fault ends the run
// through a sanitizer or the target's own check; the input's name is written
// before it runs.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> eingaben;
    for (int i = 1; i < argc; ++i) {
        const fs::path p(argv[i]);
        if (!fs::is_directory(p)) {
            eingaben.push_back(p);
            continue;
        }
        for (const fs::directory_entry& e : fs::directory_iterator(p)) {
            if (e.is_regular_file())
                eingaben.push_back(e.path());
        }
    }
    std::sort(eingaben.begin(), eingaben.end());
    if (eingaben.empty()) {
        std::cerr << "Keine Eingaben gefunden\n";
        return 1;
    }
    for (const fs::path& p : eingaben) {
        std::ifstream datei(p, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(datei), std::istreambuf_iterator<char>()};
        if (!datei) {
            std::cerr << p.string() << " kann nicht gelesen werden\n";
            return 1;
        }
        std::cerr << p.filename().string() << '\n';
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << eingaben.size() << " Eingaben ohne Befund\n";
    return 0;
}
