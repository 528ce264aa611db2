// The clipboard's picture in the forms other programs ask for, shared by the drivers that
// offer it to them.
#ifndef ZELVAN_PICTURE_STREAMS_H
#define ZELVAN_PICTURE_STREAMS_H

#include <stddef.h>

#include <memory>
#include <vector>

// The picture the clipboard offers: a packed DIB, kept as it was given.
typedef std::shared_ptr<const std::vector<unsigned char>> shared_picture;
// PICTURE_FILE serves bytes that already are a file (a PNG given with the DIB) as they are.
enum picture_form { PICTURE_BMP, PICTURE_PNG, PICTURE_FILE };
// A BMP file (the 14-byte file header and the DIB) or a PNG file (RGB, 8 bits a channel)
// made from a DIB a band at a time, as a reader asks for it.
struct picture_stream;

// Which forms `dib` can be served in; false for none (a malformed DIB).
bool picture_forms(const std::vector<unsigned char> &dib, bool *bmp, bool *png);
// Starts a form; null when it cannot be served (unreadable, too large, no memory).
picture_stream *picture_stream_open(const shared_picture &dib, picture_form form);
// Appends the form's next bytes to `out` until it holds `want` bytes or the form is complete;
// false when the conversion failed (no memory). Throws nothing.
bool picture_stream_fill(picture_stream *stream, std::vector<unsigned char> *out, size_t want);
bool picture_stream_done(const picture_stream *stream);
void picture_stream_close(picture_stream *stream); // takes null too

#endif
