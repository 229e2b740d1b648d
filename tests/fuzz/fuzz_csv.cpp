// A CSV file of events read, exported and read again. Properties: the export
// reads back as the same list (dates and texts), with no line refused.
#include "FuzzSupport.h"
#include "events/EventCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const TEventCsvResult first =
        ReadEventCsv(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    fuzz::Check(first.EventLines.size() == first.Events.Count(), "an event without its line");
    const TEventCsvResult back = ReadEventCsv(WriteEventCsv(first.Events));
    fuzz::Check(back.Rejected.isEmpty(), "a line of an export is refused on import");
    fuzz::Check(back.Events.Dates() == first.Events.Dates(), "a date changes through export and import");
    fuzz::Check(back.Events.Texts() == first.Events.Texts(), "a text changes through export and import");
    return 0;
}
