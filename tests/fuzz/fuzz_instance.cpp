// The bytes a connection sends to the running instance, in pieces (the first
// byte sets their size). Properties: the reader never keeps more than its
// bound; a request taken encodes back to a line that decodes to itself; any
// path (without the zero byte) goes through the message unchanged.
#include "FuzzSupport.h"
#include "app/InstanceMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t n = size - 1;
    TInstanceMessageReader reader;
    TInstanceMessageReader::State state = TInstanceMessageReader::NeedMore;
    for (std::size_t at = 0; at < n && state == TInstanceMessageReader::NeedMore; at += piece) {
        state = reader.Feed(bytes + at, qsizetype(std::min(piece, n - at)));
        fuzz::Check(reader.Line().size() <= TInstanceMessageReader::MaxBytes, "the reader keeps too much");
    }
    if (state == TInstanceMessageReader::Complete) {
        const TInstanceRequest r = DecodeInstanceRequest(reader.Line());
        if (r.Kind != TInstanceRequest::None) {
            const QByteArray line = EncodeInstanceRequest(r);
            const TInstanceRequest again = DecodeInstanceRequest(line.chopped(1));
            fuzz::Check(again.Kind == r.Kind && again.Path == r.Path,
                        "a request does not survive its encoding");
        }
    }
    QByteArray path(bytes, qsizetype(n));
    path.replace('\0', "");
    if (!path.isEmpty()) {
        const TInstanceRequest r =
            DecodeInstanceRequest(EncodeInstanceRequest({TInstanceRequest::Open, path}).chopped(1));
        fuzz::Check(r.Kind == TInstanceRequest::Open && r.Path == path, "a path changes through the channel");
    }
    return 0;
}
