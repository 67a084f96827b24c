#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "table/subs_table.h"

// Each input is written to a file and read as a substitutions file.
namespace {

class scratchFile {
public:
    scratchFile() {
        directory = processScratchPath("fuzz-substitutions-");
        std::filesystem::create_directories(directory);
        path = (directory / "subs").string();
    }
    ~scratchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    std::filesystem::path directory;
    std::string path;
};

// What no accepted line can produce, whatever the file holds.
void checkEntry(const std::string& keyword, const std::string& value) {
    const bool badKeyword = keyword.empty() || keyword.front() == '#' ||
                            keyword.find_first_of(std::string("=\n\0", 3)) != std::string::npos;
    const bool badValue = value.find_first_of(std::string("\n\0", 2)) != std::string::npos;
    if (badKeyword || badValue) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const scratchFile file;
    {
        std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    subsTable table;
    std::ostream nowhere(nullptr);
    runLog log(nowhere, nowhere);
    readSubstitutions(table, file.path, log);
    for (const auto& [keyword, value] : table.all()) {
        checkEntry(keyword, value);
    }
    return 0;
}
