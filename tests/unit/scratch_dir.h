// scratch_dir.h - a private temporary directory for tests that need files.
#ifndef VYR_TEST_SCRATCH_DIR_H
#define VYR_TEST_SCRATCH_DIR_H

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

// Creates a fresh directory under the system's temporary directory and
// removes it with everything in it when the object goes away.
class ScratchDir {
public:
    ScratchDir() {
        static std::atomic<int> serial{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0;; ++attempt) {
            dir_ = base / ("vyr-test-" + std::to_string(stamp) + "-" + std::to_string(serial++) +
                           "-" + std::to_string(attempt));
            if (std::filesystem::create_directory(dir_)) break;
        }
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    // Full path of a file in the directory.
    std::string path(const std::string &name) const { return (dir_ / name).string(); }

    // Writes bytes (zero bytes included) to a file and returns its path.
    std::string write(const std::string &name, const std::string &bytes) const {
        std::string p = path(name);
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

    // The whole content of a file ("" when it is missing).
    static std::string read(const std::string &p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path dir_;
};

#endif  // VYR_TEST_SCRATCH_DIR_H
