// A tour file read, written and read again. Properties: reading never fails
// without a line-numbered or file-level message, and what reads can be written
// and gives the same tour (and the same bytes) when read back.
#include "FuzzSupport.h"
#include "lesson/TourFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const TTourReadResult r =
        ReadTour(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)));
    if (!r.Ok()) {
        fuzz::Check(r.Tour.Stops.isEmpty(), "a refused file left stops");
        return 0;
    }
    fuzz::Check(!r.Tour.Stops.isEmpty(), "a tour without stops was accepted");
    const QByteArray written = WriteTour(r.Tour);
    const TTourReadResult back = ReadTour(written);
    fuzz::Check(back.Ok(), "a written tour cannot be read back");
    fuzz::Check(back.Tour == r.Tour, "a written tour reads back different");
    fuzz::Check(WriteTour(back.Tour) == written, "writing a tour twice gives different bytes");
    return 0;
}
