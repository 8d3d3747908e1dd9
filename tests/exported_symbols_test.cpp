// The driver library's dynamic symbol table: KelMain is its one export, and it imports no
// allocator, since all its state lives in the host's instance memory.
#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct DynamicSymbols {
    std::set<std::string> defined;
    std::set<std::string> imported;
};

DynamicSymbols ReadDynamicSymbols(const char *path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    DynamicSymbols symbols;
    if (image.size() < sizeof(ElfW(Ehdr)))
        return symbols;
    ElfW(Ehdr) header;
    std::memcpy(&header, image.data(), sizeof header);
    std::vector<ElfW(Shdr)> sections(header.e_shnum);
    std::memcpy(sections.data(), image.data() + header.e_shoff, sections.size() * sizeof(ElfW(Shdr)));
    for (const ElfW(Shdr) &section : sections) {
        if (section.sh_type != SHT_DYNSYM)
            continue;
        const char *names = image.data() + sections[section.sh_link].sh_offset;
        for (std::size_t at = section.sh_offset + sizeof(ElfW(Sym)); at < section.sh_offset + section.sh_size;
             at += sizeof(ElfW(Sym))) {
            ElfW(Sym) symbol;
            std::memcpy(&symbol, image.data() + at, sizeof symbol);
            const std::string name = names + symbol.st_name;
            if (symbol.st_shndx == SHN_UNDEF)
                symbols.imported.insert(name);
            else if (ELF64_ST_BIND(symbol.st_info) != STB_LOCAL)
                symbols.defined.insert(name);
        }
    }
    return symbols;
}

TEST(ExportedSymbols, KelMainIsTheOnlyExport) {
    const DynamicSymbols symbols = ReadDynamicSymbols(KELNF_DRIVER_PATH);
    EXPECT_EQ(symbols.defined, std::set<std::string>{"KelMain"});
}

TEST(ExportedSymbols, DriverImportsTheHostLogFunctionAndNoAllocator) {
    const DynamicSymbols symbols = ReadDynamicSymbols(KELNF_DRIVER_PATH);
    EXPECT_TRUE(symbols.imported.count("err"));
    for (const std::string &name : symbols.imported) {
        const bool allocates = name == "malloc" || name == "calloc" || name == "realloc" ||
                               name == "free" || name == "aligned_alloc" || name == "posix_memalign" ||
                               name == "strdup" || name.rfind("_Znw", 0) == 0 || name.rfind("_Zna", 0) == 0;
        EXPECT_FALSE(allocates) << name;
    }
}

} // namespace
