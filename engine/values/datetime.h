// datetime.h - the date and time built-ins and the picture formatter.
//
// DATE gives today as "YYYYMMDD", TIME the time of day as "hh:mm:ss".
// PICTURE lays out a value's text by a picture: an optional function code
// ("@" and one upper-case letter) and a mask of placeholders and literals.
//   @C  character: "9", "X", "Z" take the next value character
//   @K  character, after scrambling the value (scrambling twice restores it)
//   @D  date text "YYYYMMDD..." by runs of C, Y, M, D (either case)
//   @L  logical: "true;false" parts
//   @M  memo: "filled;empty" parts
//   @A  choice: entry n of "e0;e1;..."
//   @N, @F  numeric: "9", "Z", "V", "+", "-" and literals
// Without a function code a mask meeting an "X" before any "V" is
// character, any other non-empty mask numeric.  The formatter never fails:
// a picture it cannot use gives the value back unchanged.
#ifndef VYR_DATETIME_H
#define VYR_DATETIME_H

#include <cstdint>
#include <string>

#include "platform/platform.h"

class VyrArgs;
class VyrItem;

// "%04d%02d%02d" and "%02d:%02d:%02d" of a moment; every field is first
// brought into its range so the texts always have their 8 characters.
std::string vyrDateText(const plat::LocalTime &t);
std::string vyrTimeText(const plat::LocalTime &t);

// The picture formatter.  The result is as long as the mask needs (or the
// value, when it comes back unchanged): nothing is cut.
std::string vyrPicture(const std::string &value, const std::string &picture);

// The reversible scrambling of the K function, in place.
void vyrScramble(std::string &text);

// The built-ins themselves (VyrFunction signature; 0 means failure).
int32_t vyrFnDate(VyrArgs *args, VyrItem *result);
int32_t vyrFnTime(VyrArgs *args, VyrItem *result);
int32_t vyrFnPicture(VyrArgs *args, VyrItem *result);

#endif  // VYR_DATETIME_H
