// Runs a libFuzzer entry point over files and folders given on the command line, once each,
// for builds without libFuzzer (the test suite uses it to keep every target compiling and
// to replay the seeds and any crash files found earlier).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static int runFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

int main(int argc, char **argv)
{
    int files = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    failures += runFile(entry.path());
                    ++files;
                }
            }
        } else {
            failures += runFile(arg);
            ++files;
        }
    }
    // Always run the empty input too.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d inputs run\n", files + 1);
    return failures == 0 && files > 0 ? 0 : 1;
}
