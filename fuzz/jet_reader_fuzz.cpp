// libFuzzer target: libmdb reading a Jet 4 file in this process, behind the same checks the
// program makes first. The program runs this reading in a child process; a crash found here shows
// a check worth adding in front of libmdb.

#include <cstddef>
#include <cstdint>
#include <span>

#include "regions/jet_header.h"
#include "regions/jet_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace miyoutong;
    const std::span<const unsigned char> file(data, size);
    if (!ReadJetHeader(file)) {
        return 0;
    }
    JetReader reader;
    if (reader.Open(file)) {
        reader.ReadTables();
    }
    return 0;
}
