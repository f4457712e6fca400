#pragma once

#include <QByteArray>

// The "TimeSeekRange.dlna.org" header: "npt=START-[END]", each time given as
// seconds ("12.5") or as a clock ("0:00:12.500").
namespace TimeSeekRange {

// False when the header is not a valid range; `end` is -1 when open.
bool parse(const QByteArray &header, double *start, double *end);
// The answer's header: "npt=START-END/DURATION" ("*" where unknown).
QByteArray answer(double start, double end, double duration);

} // namespace TimeSeekRange
