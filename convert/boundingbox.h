#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Drawings whose header defers the bounding box to the end ("%%BoundingBox: (atend)", as
// programs that learn the box only while drawing write it). Ghostscript crops to the header's
// box alone and rejects such a header, so the copy it reads gets the trailer's box in its place.
namespace boundingbox {

// The drawing with the deferred bounding-box lines of its header replaced by the last such
// lines of its trailer; nothing when the header defers none, or the trailer gives no box.
// A drawing with a binary preview header is left alone: its sections are found by offsets.
std::optional<QByteArray> WithBoxFromTrailer(const QByteArray& eps);

// Applies WithBoxFromTrailer to the file at `path` in place; answers whether it changed it.
// Only a file whose first lines defer the box is read whole.
bool FillInDeferredBox(const QString& path);

} // namespace boundingbox
