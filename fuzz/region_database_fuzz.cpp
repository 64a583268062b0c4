// libFuzzer target: a region database file as the program opens it (header check, libmdb in a
// child process, SQLite) and the region lists filled from it. Any crash, hang or leak here is a
// fault of the program, whatever the file holds.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/memory_control_surface.h"
#include "regions/region_catalogue.h"

namespace {

// The file lives in memory; the database layer opens it by path like any other.
std::string WriteToMemoryFile(const std::uint8_t* data, std::size_t size, int& fd) {
    fd = memfd_create("region-database", MFD_CLOEXEC);
    std::size_t done = 0;
    while (fd >= 0 && done < size) {
        const ssize_t written = write(fd, data + done, size - done);
        if (written <= 0) {
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

// libmdb runs in a child and is not instrumented, so a mutation that changes what the file
// yields shows no new coverage here. These counters tell libFuzzer what came out instead.
constexpr std::size_t kOutcomeCounters = 2048;
__attribute__((section("__libfuzzer_extra_counters"), used))
std::uint8_t g_outcomes[kOutcomeCounters];

void NoteOutcome(std::size_t outcome) {
    std::uint8_t& counter = g_outcomes[outcome % kOutcomeCounters];
    counter = static_cast<std::uint8_t>(counter + 1);
}

std::size_t CountClass(int count) {
    return static_cast<std::size_t>(std::bit_width(static_cast<unsigned>(std::max(count, 0))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace miyoutong;
    int fd = -1;
    const std::string path = WriteToMemoryFile(data, size, fd);
    RegionCatalogue catalogue;
    if (fd >= 0 && catalogue.Database().Open(path, std::string(kRegionDatabasePassword))) {
        MemoryControlSurface controls;
        catalogue.FillStartRegions(controls);
        const int count = controls.ComboItemCount(Control::组合框_起始地区);
        NoteOutcome(1 + CountClass(count));
        for (int i = 0; i < count && i < 64; ++i) {
            controls.ComboSelect(Control::组合框_起始地区, i);
            catalogue.FillEndRegions(controls);
            NoteOutcome(64 + static_cast<std::size_t>(i) * 16 +
                        CountClass(controls.ComboItemCount(Control::组合框_结束地区)));
        }
    } else {
        NoteOutcome(0);
    }
    if (fd >= 0) {
        close(fd);
    }
    return 0;
}
