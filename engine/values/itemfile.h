// itemfile.h - item files: one item, with nested lists and objects, member
// names, list selections and registered-type names, stored as a single
// line of bracketed, type-tagged text, and the SAVEITEM and LOADITEM
// built-ins.
//
//   item    ( value [ , "type name" ] )
//   value   i:integer | s:"text" | L:{selection{,item}} |
//           O:("name":{[("member":item){,("member":item)}]}) | nothing
//
// Quoted texts escape backspace, tab, line feed, carriage return, the double
// quote and the backslash with a backslash.  The reader reports no syntax
// errors: malformed input yields whatever values were complete when it met
// an unexpected character, and never more than kVyrItemFileMaxDepth levels
// of nesting.
#ifndef VYR_ITEMFILE_H
#define VYR_ITEMFILE_H

#include <cstdint>

class VyrArgs;
class VyrItem;
class VyrTextFile;

// Deepest nesting of lists and objects the reader follows; reading stops
// there, keeping what was complete.
constexpr int32_t kVyrItemFileMaxDepth = 1000;

// Writes the item to a file open for writing; false when a transfer failed.
bool vyrWriteItem(VyrTextFile &file, const VyrItem &item);
// Reads one item from a file open for reading into item (which should hold
// no value on entry).
void vyrReadItem(VyrTextFile &file, VyrItem &item);

int32_t vyrFnLoadItem(VyrArgs *args, VyrItem *result);
int32_t vyrFnSaveItem(VyrArgs *args, VyrItem *result);

#endif  // VYR_ITEMFILE_H
