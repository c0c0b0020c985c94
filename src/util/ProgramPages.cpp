#include "util/ProgramPages.h"

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace tess {

namespace {

struct Release {
    bool done = false;
    bool failed = false;
};

int releaseMainProgram(dl_phdr_info* info, size_t, void* data)
{
    auto* release = static_cast<Release*>(data);
    if (release->done)
        return 1;
    release->done = true; // the first object is the program itself
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    // The segment the dynamic linker relocated and then made read-only holds
    // written pages: handing those back would lose the relocations.
    std::uintptr_t relroStart = 0, relroEnd = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type == PT_GNU_RELRO) {
            relroStart = (info->dlpi_addr + header.p_vaddr) & ~(page - 1);
            relroEnd = (info->dlpi_addr + header.p_vaddr + header.p_memsz + page - 1) & ~(page - 1);
        }
    }
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || header.p_flags != PF_R)
            continue;
        // Whole pages inside the segment only: its neighbours may be written or code.
        std::uintptr_t start = (info->dlpi_addr + header.p_vaddr + page - 1) & ~(page - 1);
        std::uintptr_t end = (info->dlpi_addr + header.p_vaddr + header.p_filesz) & ~(page - 1);
        if (relroEnd > relroStart && start < relroEnd && end > relroStart) {
            if (start >= relroStart)
                start = std::min(end, relroEnd);
            else
                end = relroStart;
        }
        if (end > start && madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED) != 0)
            release->failed = true;
    }
    return 1;
}

} // namespace

bool releaseCarriedPages()
{
    Release release;
    dl_iterate_phdr(&releaseMainProgram, &release);
    return release.done && !release.failed;
}

} // namespace tess
