// File helpers shared by the module tests: scratch directories, whole-file
// reads and writes, the probe modules' locations.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace test_files {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

inline std::wstring wide(const fs::path& p) {
    return p.wstring();
}

inline fs::path probe_dir() {
    return KAVRI_PROBE_MODULE_DIR;
}
inline fs::path probe(const char* name) {
    return probe_dir() / name;
}

// A fresh directory, removed with everything in it when the object goes.
class Scratch_Dir {
public:
    Scratch_Dir() {
        std::random_device seed;
        path_ = fs::temp_directory_path() / ("kavri-test-" + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~Scratch_Dir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const char* name) const { return path_ / name; }

private:
    fs::path path_;
};

inline Bytes read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const fs::path& p, const Bytes& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace test_files
