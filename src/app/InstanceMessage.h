#pragma once

#include <QByteArray>

// The messages a later instance of the program sends to the running one, one
// line each: "activate", or "open " and the raw bytes of a file's path (the
// file system's own encoding, any byte but zero) in Base64. The running
// instance answers "ok" once it has taken the request.

struct TInstanceRequest {
    enum Kind { None, Activate, Open };
    Kind Kind = None;
    QByteArray Path; // Open: the path's bytes as the file system names them
};

// The line (with its '\n') that asks for `request`.
QByteArray EncodeInstanceRequest(const TInstanceRequest& request);

// The request of one line (without its '\n'); Kind None when the line is not
// one of the messages above (an "open" without a path among them).
TInstanceRequest DecodeInstanceRequest(const QByteArray& line);

// Gathers the bytes of one connection until its first line is complete, and
// never keeps more than MaxBytes of them.
class TInstanceMessageReader {
public:
    // The longest line taken: a path of 4096 bytes in Base64 with room to spare.
    static constexpr int MaxBytes = 16 * 1024;

    enum State { NeedMore, Complete, Refused };
    // Adds bytes received. Complete: Line() holds the first line (bytes after
    // it are ignored); Refused: the line would be longer than MaxBytes.
    State Feed(const char* data, qsizetype size);
    const QByteArray& Line() const { return m_line; }

private:
    QByteArray m_line;
    State m_state = NeedMore;
};
