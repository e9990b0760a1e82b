// Replays kept fuzz inputs through a target without fuzzing: each argument
// is a file or a folder of files, every file one input. The target's own
// checks abort on a fault, so finishing means every input passed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replay_file(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(stream)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int replayed = 0, unreadable = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path place(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(place, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(place)) {
                if (!entry.is_regular_file()) continue;
                replay_file(entry.path()) ? ++replayed : ++unreadable;
            }
        } else {
            replay_file(place) ? ++replayed : ++unreadable;
        }
    }
    std::printf("%d inputs replayed, %d unreadable\n", replayed, unreadable);
    return replayed > 0 && unreadable == 0 ? 0 : 1;
}
